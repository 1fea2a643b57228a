#pragma once
// Modbus TCP's framing: the MBAP header (transaction id, protocol id 0, length, unit id) in front
// of the PDU, no CRC or LRC. A TCP stream carries the frames back to back and cut anywhere, so
// the collector reassembles them by their length field. The same layout serves requests and
// answers, the tool's side and the simulated gateway's.

#include <QByteArray>
#include <cstdint>
#include <vector>

inline constexpr int kMbapHeaderBytes = 7; // transaction 2, protocol 2, length 2, unit id 1
// The length field counts the unit id and the PDU; a PDU holds at most 253 bytes.
inline constexpr int kMbapMinLength = 2;
inline constexpr int kMbapMaxLength = 254;

// unitAndPdu: the unit id (the gateway's Modbus address) and the PDU, as an RTU frame holds them
// before its CRC.
QByteArray mbapFrame(uint16_t transaction, const QByteArray& unitAndPdu);

struct MbapFrame {
    uint16_t transaction = 0;
    QByteArray unitAndPdu; // unit id, function code, data
    QByteArray raw;        // as on the wire, header included
};

class MbapCollector {
public:
    struct Collected {
        std::vector<MbapFrame> frames;
        // Bytes that cannot start a frame (a protocol id other than 0, a length outside 2..254):
        // the stream cannot be framed any more, so everything collected is dropped with them.
        QByteArray noise;
    };
    // Appends bytes and takes out every frame they complete. At most one incomplete frame
    // (7 + 254 bytes) stays collected.
    Collected feed(const QByteArray& bytes);
    void reset() { buffer_.clear(); }
    int pending() const { return int(buffer_.size()); }

private:
    QByteArray buffer_;
};

// The transaction id of a frame's header, for the traffic view; -1 when too short.
int mbapTransaction(const QByteArray& raw);
