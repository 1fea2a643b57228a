// The network ports' pure parts: addresses as the user writes them, the Telnet stream cut
// anywhere, RFC 2217's negotiation as ser2net opens it and its checks of the server's replies,
// and the bounds that keep a hostile peer from growing memory.

#include "link/Mbap.h"
#include "net/NetworkAddress.h"
#include "net/Rfc2217Client.h"

#include <gtest/gtest.h>

using namespace telnet;

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
} // namespace

TEST(NetworkAddress, TheThreeFormsAndWhatIsNone) {
    const struct {
        const char* text;
        PortKind kind;
        const char* host;
        int port; // 0: refused
        const char* shown;
    } cases[] = {
        {"tcp://10.0.0.5:4001", PortKind::RawTcp, "10.0.0.5", 4001, "tcp://10.0.0.5:4001"},
        {" RFC2217://serial-box:2000", PortKind::Rfc2217, "serial-box", 2000,
         "rfc2217://serial-box:2000"},
        {"modbus-tcp://10.0.0.9", PortKind::ModbusTcp, "10.0.0.9", 502,
         "modbus-tcp://10.0.0.9:502"},
        {"modbus-tcp://[::1]:1502", PortKind::ModbusTcp, "::1", 1502, "modbus-tcp://[::1]:1502"},
        {"tcp://10.0.0.5", PortKind::RawTcp, "", 0, ""},
        {"udp://10.0.0.5:4001", PortKind::RawTcp, "", 0, ""},
        {"tcp://:4001", PortKind::RawTcp, "", 0, ""},
        {"tcp://box:4001/ttyS0", PortKind::RawTcp, "", 0, ""},
        {"tcp://box:70000", PortKind::RawTcp, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseNetworkAddress(c.text);
        ASSERT_EQ(std::holds_alternative<NetworkAddress>(parsed), c.port != 0);
        if (c.port == 0)
            continue;
        const NetworkAddress& a = std::get<NetworkAddress>(parsed);
        EXPECT_EQ(a, (NetworkAddress{c.kind, c.host, uint16_t(c.port)}));
        EXPECT_EQ(a.text(), c.shown);
    }
}

TEST(Telnet, CommandsComeOutOfTheStreamCutAnywhere) {
    const QByteArray stream = "A" + bytes({IAC, IAC}) + "B" + bytes({IAC, WILL, kEcho, IAC, 241}) +
                              bytes({IAC, SB, kComPortOption, 101, 0, 0, 0x4B, IAC, IAC, IAC, SE}) +
                              "C\r" + bytes({0}) + "D" + bytes({IAC, DO, kSuppressGoAhead}) +
                              bytes({IAC, SB, 44}) + QByteArray(100, 'x') + bytes({IAC, SE}) + "E";
    for (int at = 0; at <= stream.size(); ++at) {
        SCOPED_TRACE(at);
        TelnetDecoder d;
        TelnetDecoded first = d.feed(stream.left(at));
        const TelnetDecoded rest = d.feed(stream.mid(at));
        first.data += rest.data;
        first.negotiations.insert(first.negotiations.end(), rest.negotiations.begin(),
                                  rest.negotiations.end());
        first.subnegotiations.insert(first.subnegotiations.end(), rest.subnegotiations.begin(),
                                     rest.subnegotiations.end());
        EXPECT_EQ(first.data, "A\xFF"
                              "BC\rDE")
            << "IAC IAC is 0xFF, CR NUL a CR, NOP nothing";
        ASSERT_EQ(first.negotiations.size(), 2u);
        EXPECT_EQ(first.negotiations[1].verb, DO);
        EXPECT_EQ(first.negotiations[1].option, kSuppressGoAhead);
        EXPECT_EQ(first.subnegotiations,
                  (std::vector<QByteArray>{bytes({44, 101, 0, 0, 0x4B, 0xFF})}))
            << "the one of more than 64 bytes is dropped";
    }
    EXPECT_EQ(telnetEscaped("\xFF\r", false), bytes({0xFF, 0xFF, '\r', 0}));
    EXPECT_EQ(telnetEscaped("\xFF\r", true), bytes({0xFF, 0xFF, '\r'}));
}

// ser2net's opening, then its replies to the line settings: equal ones make the port ready,
// another value is a refusal of that setting, a refused option no COM port control.
TEST(Rfc2217, NegotiatesAsSer2netOpensAndChecksTheReplies) {
    const QByteArray ser2netOpening =
        QByteArray::fromHex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c");
    const auto reply = [](int command, QByteArray value) {
        return telnetSubnegotiation(kComPortOption, char(command) + value);
    };
    const QByteArray agreed = reply(101, bytes({0, 0, 0x4B, 0})) + reply(102, bytes({8})) +
                              reply(104, bytes({1})) + reply(107, bytes({0x30}));
    const struct {
        QByteArray replies;
        NetFailure failure;
        LineSetting refused;
        const char* value;
    } cases[] = {
        {agreed + reply(103, bytes({2})), NetFailure::None, LineSetting::None, ""},
        {agreed + reply(103, bytes({1})), NetFailure::SettingRefused, LineSetting::Parity, "O"},
        {reply(101, bytes({0, 0, 0x25, 0x80})), NetFailure::SettingRefused, LineSetting::Baud,
         "19200"},
        {telnetCommand(DONT, kComPortOption), NetFailure::NoComControl, LineSetting::None, ""},
    };
    for (const auto& c : cases) {
        Rfc2217Client client;
        EXPECT_EQ(client.start(), QByteArray::fromHex("fffb2cfffb00fffd00"));
        EXPECT_TRUE(client.setLine({19200, 'O', 8, 1}).isEmpty()) << "not before the agreement";
        const Rfc2217Client::Received r = client.receive(ser2netOpening);
        EXPECT_EQ(r.answer.left(9), QByteArray::fromHex("fffd03fffb03fffe01")) << "no echo";
        EXPECT_EQ(r.answer.mid(9), reply(1, bytes({0, 0, 0x4B, 0})) + reply(2, bytes({8})) +
                                       reply(3, bytes({2})) + reply(4, bytes({1})));
        EXPECT_FALSE(client.ready());
        client.receive(c.replies);
        EXPECT_EQ(client.ready(), c.failure == NetFailure::None);
        const PortError e = client.failure().value_or(PortError{});
        EXPECT_EQ(e.net, c.failure);
        EXPECT_EQ(e.refused, c.refused);
        EXPECT_EQ(e.refusedValue, c.value);
    }
}

TEST(Rfc2217, EndlessNegotiationAndHugeLengthsStayBounded) {
    Rfc2217Client client;
    qsizetype answered = 0;
    for (int i = 0; i < 10000; ++i)
        answered += client
                        .receive(telnetCommand(i % 2 ? WILL : DO, uint8_t(i % 200 + 50)) +
                                 telnetCommand(i % 2 ? WONT : DONT, uint8_t(i % 200 + 50)))
                        .answer.size();
    EXPECT_LE(answered, 3 * kMaxNegotiationAnswers);

    MbapCollector mbap;
    const MbapCollector::Collected got =
        mbap.feed(mbapFrame(1, "\x01\x03") + QByteArray::fromHex("00020000FFFF") + "rest");
    EXPECT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.noise.size(), 10) << "a length of 65535 drops the stream";
    EXPECT_EQ(mbap.pending(), 0);
    EXPECT_TRUE(mbap.feed(QByteArray::fromHex("000300000006010300")).frames.empty());
    EXPECT_EQ(mbap.pending(), 9) << "at most one frame waits for its rest";
}
