#pragma once
// The line options that come before the command: the port, the framing, the gateway's address,
// the answer time-out, the retries and the verbose tap. Taken apart from the commands, so that a
// command that talks to no single address (a scan of the bus) takes them too.

#include "link/LineSession.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

class QCommandLineParser;

struct LineOptions {
    QString port = "COM1"; // COMn, a device path, a network address, or "simulator"
    LineChoice line;       // ASCII, 9600 baud, even parity
    uint8_t address = 0;   // 0: not given
    std::optional<int> timeoutMs;
    int retries = 2;
    std::optional<int> netMarginMs; // a network port's; else its mapping's or 100
    bool verbose = false;
};

void addLineOptions(QCommandLineParser& parser);
// Whether a name (without dashes) is one of the line options.
bool isLineOption(const QString& name);
// The options' values; an error text for a bad value, or for a missing address when the
// command needs one.
std::variant<LineOptions, QString> takeLineOptions(const QCommandLineParser& parser,
                                                   bool needsAddress);

// The answer time-out without --timeout: 1000 ms while the gateway's response time is unknown;
// then 3 x the response time + 100 ms, plus the line time of the longest request and answer
// (a sender row write and a block read), which at low baud rates is the larger part. The
// link's time-out runs from the write to the answer's last byte.
int defaultTimeoutMs(const LineChoice& line, std::optional<uint16_t> responseTimeMs);
