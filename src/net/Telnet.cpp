#include "net/Telnet.h"

#include <algorithm>

using namespace telnet;

namespace {
constexpr char kCr = '\r';
} // namespace

TelnetDecoded TelnetDecoder::feed(const QByteArray& bytes) {
    TelnetDecoded out;
    out.data.reserve(bytes.size());
    for (const char c : bytes) {
        const uint8_t b = uint8_t(c);
        bool again = true;
        while (again) { // a byte that ends a broken subnegotiation is read again as a command
            again = false;
            switch (state_) {
            case State::CarriageReturn:
                state_ = State::Data;
                if (b == 0)
                    break; // CR NUL is a CR
                [[fallthrough]];
            case State::Data:
                if (b == IAC) {
                    state_ = State::Iac;
                } else {
                    out.data.append(char(b));
                    if (b == uint8_t(kCr) && !peerBinary_)
                        state_ = State::CarriageReturn;
                }
                break;
            case State::Iac:
                state_ = State::Data;
                if (b == IAC) {
                    out.data.append(char(b));
                } else if (b >= WILL && b <= DONT) {
                    verb_ = b;
                    state_ = State::Verb;
                } else if (b == SB) {
                    sub_.clear();
                    subTooLong_ = false;
                    state_ = State::Sub;
                } // NOP, data mark, break, AYT, GA and the rest: nothing for a serial line
                break;
            case State::Verb:
                out.negotiations.push_back({verb_, b});
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == IAC) {
                    state_ = State::SubIac;
                } else if (sub_.size() < kMaxSubnegotiation) {
                    sub_.append(char(b));
                } else {
                    subTooLong_ = true;
                }
                break;
            case State::SubIac:
                if (b == IAC) {
                    state_ = State::Sub;
                    if (sub_.size() < kMaxSubnegotiation)
                        sub_.append(char(b));
                    else
                        subTooLong_ = true;
                    break;
                }
                if (b == SE && !subTooLong_ && !sub_.isEmpty())
                    out.subnegotiations.push_back(sub_);
                sub_.clear();
                state_ = State::Iac;
                again = b != SE; // IAC and a command inside a subnegotiation: it ends there
                if (!again)
                    state_ = State::Data;
                break;
            }
        }
    }
    return out;
}

QByteArray telnetEscaped(const QByteArray& data, bool binary) {
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char c : data) {
        out.append(c);
        if (uint8_t(c) == IAC)
            out.append(c);
        else if (c == kCr && !binary)
            out.append('\0');
    }
    return out;
}

QByteArray telnetCommand(uint8_t verb, uint8_t option) {
    const char bytes[] = {char(IAC), char(verb), char(option)};
    return QByteArray(bytes, 3);
}

QByteArray telnetSubnegotiation(uint8_t option, const QByteArray& payload) {
    QByteArray out = telnetCommand(SB, option);
    out.append(telnetEscaped(payload, true));
    out.append(char(IAC));
    out.append(char(SE));
    return out;
}

TelnetOptions::TelnetOptions(std::vector<uint8_t> wantLocal, std::vector<uint8_t> wantRemote)
    : wantLocal_(std::move(wantLocal))
    , wantRemote_(std::move(wantRemote)) {}

bool TelnetOptions::wanted(const std::vector<uint8_t>& list, uint8_t option) const {
    return std::find(list.begin(), list.end(), option) != list.end();
}

QByteArray TelnetOptions::answered(uint8_t verb, uint8_t option) {
    if (answers_ >= kMaxNegotiationAnswers)
        return {};
    ++answers_;
    return telnetCommand(verb, option);
}

QByteArray TelnetOptions::offer(uint8_t verb, uint8_t option) {
    Option& o = state_[option];
    (verb == WILL ? o.localAsked : o.remoteAsked) = true;
    return telnetCommand(verb, option);
}

QByteArray TelnetOptions::answer(const TelnetNegotiation& n) {
    Option& o = state_[n.option];
    const bool local = n.verb == DO || n.verb == DONT;
    bool& on = local ? o.local : o.remote;
    bool& asked = local ? o.localAsked : o.remoteAsked;
    const bool enable = n.verb == DO || n.verb == WILL;
    const bool wantedHere = wanted(local ? wantLocal_ : wantRemote_, n.option);
    const bool askedBefore = std::exchange(asked, false);
    if (!enable && local && wantedHere)
        o.localRefused = true;
    if (enable && !wantedHere) // refused; the state stays off
        return answered(local ? WONT : DONT, n.option);
    if (on == enable)
        return {}; // nothing changes: no answer, or two sides would loop
    on = enable;
    if (askedBefore && enable)
        return {}; // the agreement to what this side asked
    if (enable)
        return answered(local ? WILL : DO, n.option);
    return askedBefore ? QByteArray() : answered(local ? WONT : DONT, n.option);
}
