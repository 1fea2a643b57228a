#pragma once
// Telnet (RFC 854, 855) as a serial server speaks it, both sides: the data stream with its
// commands taken out, option negotiation, subnegotiations. The bytes come from the network and
// are untrusted: the decoder keeps no more than one subnegotiation of at most 64 bytes between
// reads (a longer one is dropped whole), and the negotiation answers a peer can draw out are
// limited, so that a peer that negotiates for ever gets silence, not a growing send buffer.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

namespace telnet {
inline constexpr uint8_t IAC = 255;
inline constexpr uint8_t DONT = 254;
inline constexpr uint8_t DO = 253;
inline constexpr uint8_t WONT = 252;
inline constexpr uint8_t WILL = 251;
inline constexpr uint8_t SB = 250;
inline constexpr uint8_t SE = 240;
// options
inline constexpr uint8_t kBinary = 0;
inline constexpr uint8_t kEcho = 1;
inline constexpr uint8_t kSuppressGoAhead = 3;
inline constexpr uint8_t kComPortOption = 44; // RFC 2217

inline constexpr int kMaxSubnegotiation = 64;
// Answers to the peer's negotiations in one connection; more would only feed a loop.
inline constexpr int kMaxNegotiationAnswers = 64;
} // namespace telnet

struct TelnetNegotiation {
    uint8_t verb = 0; // WILL, WONT, DO or DONT
    uint8_t option = 0;
};

struct TelnetDecoded {
    QByteArray data;                             // IAC IAC is one 0xFF data byte
    std::vector<TelnetNegotiation> negotiations; //
    std::vector<QByteArray> subnegotiations;     // option first, then its bytes, undoubled
};

class TelnetDecoder {
public:
    // Takes bytes as they arrive, cut anywhere; other commands (NOP, GA, AYT, break, ...) are
    // taken out and ignored.
    TelnetDecoded feed(const QByteArray& bytes);
    // Without binary transmission from the peer, a CR comes as CR NUL: the NUL is dropped.
    void setPeerBinary(bool binary) { peerBinary_ = binary; }
    void reset() { *this = TelnetDecoder(); }

private:
    enum class State { Data, Iac, Verb, Sub, SubIac, CarriageReturn };
    State state_ = State::Data;
    uint8_t verb_ = 0;
    QByteArray sub_;
    bool subTooLong_ = false;
    bool peerBinary_ = false;
};

// Data for the peer: 0xFF doubled; without binary transmission a CR goes as CR NUL.
QByteArray telnetEscaped(const QByteArray& data, bool binary);
QByteArray telnetCommand(uint8_t verb, uint8_t option);
// IAC SB option payload IAC SE, 0xFF in the payload doubled.
QByteArray telnetSubnegotiation(uint8_t option, const QByteArray& payload);

// Which options are on, for both sides of the connection, and the answers the rules of RFC 854
// and 1143 ask for: an option that changes state is acknowledged once, a request that changes
// nothing gets no answer (so two sides never loop), an option not wanted is refused.
class TelnetOptions {
public:
    // wantLocal: options this side performs (answers DO with WILL); wantRemote: options it lets
    // the peer perform (answers WILL with DO).
    TelnetOptions(std::vector<uint8_t> wantLocal, std::vector<uint8_t> wantRemote);
    // Asks for an option (WILL or DO) and remembers it, so the peer's agreement gets no answer.
    QByteArray offer(uint8_t verb, uint8_t option);
    // The answer to the peer's negotiation; empty when none is due, or the answers are used up.
    QByteArray answer(const TelnetNegotiation& n);
    bool local(uint8_t option) const { return state_[option].local; }
    bool remote(uint8_t option) const { return state_[option].remote; }
    // The peer refused a local option this side asked for (DONT after WILL).
    bool refusedLocal(uint8_t option) const { return state_[option].localRefused; }

private:
    struct Option {
        bool local = false, remote = false;
        bool localAsked = false, remoteAsked = false;
        bool localRefused = false;
    };
    bool wanted(const std::vector<uint8_t>& list, uint8_t option) const;
    QByteArray answered(uint8_t verb, uint8_t option);

    std::vector<uint8_t> wantLocal_, wantRemote_;
    std::array<Option, 256> state_{};
    int answers_ = 0;
};
