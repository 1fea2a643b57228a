#pragma once
// What a gateway scan tries, in which order, and how long each try may take. The order finds the
// usual set-ups first: the tool's start settings (ASCII 9600 even), then RTU 9600 even, then the
// baud rates 19200, 38400, 57600, 115200, 4800, 2400 and 1200, each with even, none and odd
// parity and ASCII before RTU; per line setting the addresses 1..16 first, then 17..247.

#include "link/LineSession.h"
#include "link/SerialPort.h"

#include <cstdint>
#include <vector>

inline constexpr int kFirstScanAddress = 1;
inline constexpr int kLastScanAddress = 247; // the highest unicast address of Modbus
inline constexpr int kDefaultScanMarginMs = 50;

struct ScanOptions {
    std::vector<LineMode> modes{LineMode::Ascii, LineMode::Rtu};
    std::vector<int> bauds{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    std::vector<char> parities{'E', 'N', 'O'};
    int firstAddress = kFirstScanAddress;
    int lastAddress = kLastScanAddress;
    bool all = false; // go on after the first gateway found
    // Waited beyond the line time of a probe: covers the gateway's response time (20 ms as
    // delivered) and the adapter's latency.
    int marginMs = kDefaultScanMarginMs;
    // A network port's margin, which the link adds to every probe's time-out.
    int networkMarginMs = 0;
};

// The options as the port lets them be tried: a raw serial server (tcp://) keeps its own baud
// rate and parity, so only modes and addresses are tried (at the first baud rate and parity
// given); a Modbus TCP gateway frames in MBAP, so only addresses. The port's network margin is
// counted in the durations.
ScanOptions scanOptionsFor(ScanOptions options, PortKind kind, int networkMarginMs);

// The line settings of the options in the scan's order.
std::vector<LineChoice> scanLines(const ScanOptions& options);
// The addresses of the options in the scan's order.
std::vector<int> scanAddresses(const ScanOptions& options);

// Line time of the identification read and its answer at the line's settings.
double probeLineMs(const LineChoice& line);
// The time-out of one probe: its line time and the margin, in whole milliseconds.
int probeTimeoutMs(const LineChoice& line, int marginMs);
// Every probe's time-out: how long the scan of an empty line takes.
int64_t scanDurationMs(const ScanOptions& options);
