#include "net/Rfc2217Client.h"

#include <cerrno>

using namespace telnet;

namespace {
// COM port commands of the client; the server replies with the command + 100.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kServerOffset = 100;

QByteArray baudBytes(int baud) {
    const auto b = uint32_t(baud); // network order
    const char bytes[] = {char(b >> 24), char((b >> 16) & 0xFF), char((b >> 8) & 0xFF),
                          char(b & 0xFF)};
    return QByteArray(bytes, 4);
}

// RFC 2217's values: parity 1 none, 2 odd, 3 even; stop size 1 one, 2 two.
char parityValue(char letter) {
    return letter == 'O' ? 2 : letter == 'E' ? 3 : 1;
}

struct Refusable {
    uint8_t command;
    LineSetting setting;
};
constexpr Refusable kRefusable[] = {{kSetBaudRate, LineSetting::Baud},
                                    {kSetDataSize, LineSetting::DataBits},
                                    {kSetParity, LineSetting::Parity},
                                    {kSetStopSize, LineSetting::StopBits}};
} // namespace

Rfc2217Client::Rfc2217Client()
    : options_({kBinary, kSuppressGoAhead, kComPortOption}, {kBinary, kSuppressGoAhead}) {}

QByteArray Rfc2217Client::start() {
    return options_.offer(WILL, kComPortOption) + options_.offer(WILL, kBinary) +
           options_.offer(DO, kBinary);
}

QByteArray Rfc2217Client::setLine(const LineSettings& line) {
    line_ = line;
    return agreed_ ? settingCommands() : QByteArray();
}

QByteArray Rfc2217Client::settingCommands() {
    if (!line_)
        return {};
    const LineSettings l = *line_;
    line_.reset();
    const std::pair<uint8_t, QByteArray> commands[] = {
        {kSetBaudRate, baudBytes(l.baud)},
        {kSetDataSize, QByteArray(1, char(l.dataBits))},
        {kSetParity, QByteArray(1, parityValue(l.parity))},
        {kSetStopSize, QByteArray(1, char(l.stopBits))}};
    QByteArray out;
    for (const auto& [command, value] : commands) {
        std::deque<QByteArray>& asked = pending_[command];
        if (asked.size() >= 8) // a server that never replies: the oldest is forgotten
            asked.pop_front();
        asked.push_back(value);
        out += telnetSubnegotiation(kComPortOption, char(command) + value);
    }
    return out;
}

Rfc2217Client::Received Rfc2217Client::receive(const QByteArray& bytes) {
    Received r;
    const TelnetDecoded d = decoder_.feed(bytes);
    r.data = d.data;
    for (const TelnetNegotiation& n : d.negotiations) {
        r.answer += options_.answer(n);
        if (n.option != kComPortOption)
            continue;
        if (options_.refusedLocal(kComPortOption) && !failure_)
            failure_ = PortError{EPROTONOSUPPORT, "no COM port control (RFC 2217)", QString(),
                                 NetFailure::NoComControl};
        if (options_.local(kComPortOption) && !agreed_) {
            agreed_ = true;
            r.answer += settingCommands();
        }
    }
    decoder_.setPeerBinary(options_.remote(kBinary));
    for (const QByteArray& sub : d.subnegotiations)
        if (uint8_t(sub[0]) == kComPortOption)
            checkReply(sub);
    return r;
}

void Rfc2217Client::checkReply(const QByteArray& sub) {
    if (sub.size() < 2)
        return;
    const uint8_t command = uint8_t(sub[1]) - kServerOffset;
    const auto asked = pending_.find(command);
    if (asked == pending_.end() || asked->second.empty())
        return; // a notification (line or modem state), or a reply to nothing asked
    const QByteArray value = sub.mid(2);
    const QByteArray wanted = asked->second.front();
    asked->second.pop_front();
    if (value == wanted || failure_)
        return;
    for (const Refusable& r : kRefusable) {
        if (r.command != command)
            continue;
        QString what = QString::number(uint8_t(wanted[0]));
        if (r.setting == LineSetting::Baud)
            what = QString::number(uint32_t(uint8_t(wanted[0])) << 24 |
                                   uint32_t(uint8_t(wanted[1])) << 16 |
                                   uint32_t(uint8_t(wanted[2])) << 8 | uint8_t(wanted[3]));
        else if (r.setting == LineSetting::Parity)
            what = wanted[0] == 2 ? "O" : wanted[0] == 3 ? "E" : "N";
        PortError e{EINVAL, "the server refused the setting", QString(), r.setting, what};
        e.net = NetFailure::SettingRefused;
        failure_ = e;
    }
}

bool Rfc2217Client::ready() const {
    if (!agreed_ || failure_)
        return false;
    for (const auto& [command, asked] : pending_)
        if (!asked.empty())
            return false;
    return true;
}

QByteArray Rfc2217Client::escaped(const QByteArray& data) const {
    return telnetEscaped(data, options_.local(kBinary));
}
