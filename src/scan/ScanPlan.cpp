#include "scan/ScanPlan.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kBaudOrder[] = {9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200};
constexpr char kParityOrder[] = {'E', 'N', 'O'};
constexpr LineMode kModeOrder[] = {LineMode::Ascii, LineMode::Rtu};
constexpr int kUsualAddresses = 16; // tried first on every line setting

template <class T> bool holds(const std::vector<T>& list, T value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}
} // namespace

std::vector<LineChoice> scanLines(const ScanOptions& o) {
    std::vector<LineChoice> lines;
    for (int baud : kBaudOrder)
        for (char parity : kParityOrder)
            for (LineMode mode : kModeOrder)
                if (holds(o.bauds, baud) && holds(o.parities, parity) && holds(o.modes, mode))
                    lines.push_back(LineChoice{mode, baud, parity});
    return lines;
}

std::vector<int> scanAddresses(const ScanOptions& o) {
    std::vector<int> addresses;
    const int first = std::max(o.firstAddress, kFirstScanAddress);
    const int last = std::min(o.lastAddress, kLastScanAddress);
    for (int a = first; a <= std::min(last, kUsualAddresses); ++a)
        addresses.push_back(a);
    for (int a = std::max(first, kUsualAddresses + 1); a <= last; ++a)
        addresses.push_back(a);
    return addresses;
}

double probeLineMs(const LineChoice& line) {
    // RTU: request 8 bytes (address, function, register, quantity, CRC), answer 7 (address,
    // function, byte count, one register, CRC). ASCII: ":" + 12 hex digits + LRC + CR LF = 17
    // characters, answer ":" + 10 + 2 + 2 = 15. ASCII 9600 even, 10 bits a character: 32
    // characters take 33.3 ms; RTU 9600 even, 11 bits: 15 bytes take 17.2 ms.
    const int characters = line.mode == LineMode::Rtu ? 8 + 7 : 17 + 15;
    return line.lineMs(characters);
}

int probeTimeoutMs(const LineChoice& line, int marginMs) {
    return int(std::ceil(probeLineMs(line))) + std::max(0, marginMs);
}

ScanOptions scanOptionsFor(ScanOptions o, PortKind kind, int networkMarginMs) {
    o.networkMarginMs = std::max(0, networkMarginMs);
    if (setsLine(kind))
        return o;
    const std::vector<LineChoice> lines = scanLines(o);
    if (lines.empty())
        return o;
    o.bauds = {lines.front().baud};
    o.parities = {lines.front().parity};
    if (kind == PortKind::ModbusTcp)
        o.modes = {LineMode::Rtu}; // MBAP carries the PDU as RTU does, without the CRC
    return o;
}

int64_t scanDurationMs(const ScanOptions& o) {
    int64_t sum = 0;
    const int64_t addresses = int64_t(scanAddresses(o).size());
    for (const LineChoice& line : scanLines(o))
        sum += addresses * (probeTimeoutMs(line, o.marginMs) + o.networkMarginMs);
    return sum;
}
