#pragma once
// --verbose: every frame on the line, one line each on standard error, from the link's line tap,
// described in the gateway's own terms as the traffic view describes it (traffic/TrafficRows):
//      12 ms -> :010301410001B9    identify
//      48 ms <- :0103020041B9    1 register (taken, 36 ms)
//    1012 ms    no answer to read response time (time-out)

#include "cli/CliStreams.h"
#include "link/LineTap.h"

class VerboseTap : public LineObserver {
public:
    explicit VerboseTap(CliStreams& io)
        : io_(io) {}
    void lineEvent(const LineEvent& event) override;

private:
    CliStreams& io_;
    QByteArray request_; // the last request written: answers and time-outs are told by it
    int64_t writtenAtMs_ = 0;
};
