#include "sim/LineFit.h"

#include <bit>
#include <termios.h>
#include <utility>

namespace {
// The bit a character carries right after its data bits: the parity bit, or for no parity the
// first stop bit (always 1).
int bitAfterData(uint8_t byte, const LineSettings& s) {
    const int ones = std::popcount(unsigned(byte) & ((1u << s.dataBits) - 1));
    switch (s.parity) {
    case 'E':
        return ones % 2; // makes the count of ones even
    case 'O':
        return 1 - ones % 2;
    default:
        return 1;
    }
}
} // namespace

LineFit lineFit(const LineSettings& gateway, const LineSettings& tool) {
    if (gateway.baud != tool.baud || gateway.dataBits != tool.dataBits)
        return LineFit::Deaf;
    return gateway.parity == tool.parity ? LineFit::Same : LineFit::Garbled;
}

QByteArray receivedAcross(const QByteArray& bytes, const LineSettings& sender,
                          const LineSettings& receiver) {
    QByteArray out;
    out.reserve(bytes.size());
    const uint8_t mask = uint8_t((1u << receiver.dataBits) - 1);
    for (const char c : bytes) {
        const uint8_t byte = uint8_t(c);
        const bool fits = bitAfterData(byte, sender) == bitAfterData(byte, receiver);
        out.append(char(fits ? byte & mask : 0));
    }
    return out;
}

std::optional<LineSettings> ptyLine(unsigned cflag, unsigned speed, int dataBits) {
    static constexpr std::pair<speed_t, int> kRates[] = {
        {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},   {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600}, {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    LineSettings s;
    s.baud = 0;
    for (const auto& [code, rate] : kRates)
        if (code == speed)
            s.baud = rate;
    if (s.baud == 0)
        return std::nullopt;
    s.parity = (cflag & PARODD) ? 'O' : (cflag & CSTOPB) ? 'N' : 'E';
    s.stopBits = s.parity == 'N' ? 2 : 1;
    s.dataBits = dataBits;
    return s;
}
