#pragma once
// The gateway's side of the two serial framings and of Modbus TCP: requests cut out of the byte
// stream and checked, answers framed. A frame with a bad CRC or LRC is reported with checkOk false
// and gets no answer.

#include "link/Mbap.h"

#include <QByteArray>
#include <vector>

struct SlaveFrame {
    QByteArray request; // address, function, data; no check
    bool checkOk = false;
    uint16_t transaction = 0; // MBAP: the request's, for its answer
};

class RtuSlaveFramer {
public:
    // Appends bytes and returns every frame they complete.
    std::vector<SlaveFrame> feed(const QByteArray& bytes);
    // A silence on the line ends whatever was collected (an unknown function's frame).
    std::vector<SlaveFrame> silence();
    static QByteArray frame(const QByteArray& answer);

private:
    QByteArray buffer_;
};

// MBAP frames (link/Mbap.h); TCP has checked them. A stream that cannot be framed is dropped.
class MbapSlaveFramer {
public:
    std::vector<SlaveFrame> feed(const QByteArray& bytes);
    static QByteArray frame(const QByteArray& answer, uint16_t transaction);

private:
    MbapCollector collector_;
};

class AsciiSlaveFramer {
public:
    std::vector<SlaveFrame> feed(const QByteArray& bytes);
    static QByteArray frame(const QByteArray& answer);

private:
    QByteArray buffer_;
};
