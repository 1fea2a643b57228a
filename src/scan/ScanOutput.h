#pragma once
// The scan for the command line: its options from lists as a user types them, and its result as
// text or JSON. `qrx-cli scan` wraps these:
//   --modes ascii,rtu          modes to try (default both)
//   --bauds 9600,19200,...     baud rates out of 1200..115200 (default all eight)
//   --parities even,none,odd   parities (default all three; none means 2 stop bits)
//   --addresses 1-247          address range, or one address (default 1-247)
//   --all                      go on after the first gateway found
//   --margin MS                waited beyond a probe's line time (default 50)
//   --format text|json         how the result is printed (default text)
// Exit code: 0 when a gateway was found, 1 when none (scanExitCode).

#include "scan/GatewayScan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <variant>

class QCommandLineParser;

struct ScanCommand {
    ScanOptions options;
    bool json = false;
};

// The options above, for a command's own parser.
void addScanOptions(QCommandLineParser& parser);
// The options as parsed; a text for the user on bad input.
std::variant<ScanCommand, QString> scanCommandFrom(const QCommandLineParser& parser);

// The lists one by one: "ascii,rtu", "9600,19200", "even,none,odd", "1-247" or "17".
std::variant<ScanOptions, QString> scanOptionsFrom(const QString& modes, const QString& bauds,
                                                   const QString& parities,
                                                   const QString& addresses);

// "mode": ascii or rtu; "parity": even, none or odd.
QString modeName(LineMode mode);
QString parityName(char parity);

// One line per gateway found and per line setting with activity, then the summary:
//   found: address 1, ASCII 9600 even, QTX40, response time 20 ms
//   activity at RTU 9600 none (address 5): 7 bytes that made no valid answer
//   1 gateway found (42 probes, 3.7 s)
QString scanText(const ScanReport& report);
QByteArray scanJson(const ScanReport& report);
int scanExitCode(const ScanReport& report);
// "12 min 05 s", "3.7 s": for the time a scan took or has left.
QString scanDurationText(int64_t ms);
