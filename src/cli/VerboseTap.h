#pragma once
// --verbose: every frame on the line, decoded, one line each on standard error, from the link's
// line tap: "  125 ms -> :010301410001B9  01 read registers 0x0141 x1".

#include "cli/CliStreams.h"
#include "link/LineTap.h"

class VerboseTap : public LineObserver {
public:
    explicit VerboseTap(CliStreams& io)
        : io_(io) {}
    void lineEvent(const LineEvent& event) override;

private:
    CliStreams& io_;
};

// The request or answer bytes of a frame as on the line (address, function code, data), without
// the check: RTU bytes less the CRC, ASCII text less ":", the LRC and CR LF. Empty when the
// frame is too short or not hex.
QByteArray frameContent(const QByteArray& frame, bool ascii);
