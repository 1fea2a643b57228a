// The gateway's side of the line: framing, named faults, line timing of the in-process port,
// the simulator program's options and log.

#include "link/Hex.h"
#include "sim/FrameLog.h"
#include "sim/GatewayServer.h"
#include "sim/LineFit.h"
#include "sim/PtyGateway.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedGatewayPort.h"
#include "sim/SlaveFraming.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <termios.h>

namespace {
QByteArray rtu(const char* hex) {
    return rtuFrame(QByteArray::fromHex(hex));
}
QByteArray ascii(const char* hex) {
    return asciiFrame(QString(hex).toUpper());
}
} // namespace

TEST(SlaveFraming, RtuFramesAreCutByTheirFunctionAndChecked) {
    RtuSlaveFramer f;
    const QByteArray read = rtu("010300000010");
    EXPECT_TRUE(f.feed(read.left(3)).empty()); // a frame in pieces is not served early
    auto frames = f.feed(read.mid(3) + rtu("011001400001020014") + rtu("01050020FF00"));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].request.toHex(), "010300000010");
    EXPECT_EQ(frames[1].request.toHex(), "011001400001020014");
    EXPECT_TRUE(frames[0].checkOk && frames[1].checkOk && frames[2].checkOk);

    QByteArray bad = rtu("010300000010");
    bad[7] = char(bad[7] ^ 1);
    frames = f.feed(bad);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(frames[0].checkOk);

    // an unknown function waits for the line's silence
    EXPECT_TRUE(f.feed(rtu("01440000")).empty());
    frames = f.silence();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].request.toHex(), "01440000");
    EXPECT_TRUE(f.silence().empty());
}

TEST(SlaveFraming, AsciiLinesSkipNoiseAndCheckTheLrc) {
    AsciiSlaveFramer f;
    const QByteArray line = ascii("010300000010");
    EXPECT_TRUE(f.feed("xx\r\n" + line.left(5)).empty());
    auto frames = f.feed(line.mid(5));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].checkOk);
    EXPECT_EQ(frames[0].request.toHex(), "010300000010");

    QByteArray badLrc = line;
    badLrc[badLrc.size() - 3] = badLrc[badLrc.size() - 3] == '0' ? '1' : '0';
    frames = f.feed(badLrc + ":01G3\r\n");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_FALSE(frames[0].checkOk);
    EXPECT_FALSE(frames[1].checkOk); // not hex
}

namespace {
struct FaultCase {
    const char* fault;
    // per request: 'a' answered, 'd' no answer, 'c' corrupted, 'e' exception 04, 'l' device lost
    const char* outcome;
    int noise = 0;
    int delayMs = 20;
};

class ServerFaults : public ::testing::TestWithParam<FaultCase> {};
} // namespace

TEST_P(ServerFaults, EveryNthAnswerIsHit) {
    GatewayModel model(1, GatewayVariant::Transceiver);
    FaultPlan plan;
    ASSERT_TRUE(plan.add(GetParam().fault));
    GatewayServer server(model, plan);
    const QByteArray request = rtu("010301410001");
    const std::string expected = GetParam().outcome;
    for (size_t i = 0; i < expected.size(); ++i) {
        auto xs = server.receive(request, int64_t(i) * 100);
        ASSERT_EQ(xs.size(), 1u);
        const ServedExchange& x = xs[0];
        SCOPED_TRACE(testing::Message() << GetParam().fault << " request " << i + 1);
        switch (expected[i]) {
        case 'd':
            EXPECT_TRUE(x.answerFrame.isEmpty());
            break;
        case 'l':
            EXPECT_TRUE(x.deviceLost);
            break;
        case 'e':
            EXPECT_EQ(x.answer.toHex(), "018304");
            break;
        default: {
            EXPECT_EQ(x.answer.toHex(), "0103020041");
            const QByteArray frame = x.answerFrame.mid(GetParam().noise);
            EXPECT_EQ(x.answerFrame.left(GetParam().noise), QByteArray(GetParam().noise, '\0'));
            EXPECT_EQ(frame == rtuFrame(x.answer), expected[i] == 'a');
            EXPECT_EQ(x.answerCheckOk, expected[i] == 'a');
            EXPECT_EQ(x.delayMs, GetParam().delayMs);
        }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plans, ServerFaults,
    ::testing::Values(FaultCase{"drop=2", "adad"}, FaultCase{"corrupt=3", "aaca"},
                      FaultCase{"exception=2", "aeae"}, FaultCase{"noise=3", "aaaa", 3},
                      FaultCase{"late=1500", "aaaa", 0, 1520}, FaultCase{"silent", "dddd"},
                      FaultCase{"lost=3", "aal"}));

// qrx-gateway-sim --link PATH never replaces a file, nor removes it at the end.
TEST(PtyGateway, ALinkPathThatHoldsAFileIsRefusedAndKept) {
    QTemporaryDir dir;
    SimOptions o;
    o.link = dir.filePath("notes");
    QFile notes(o.link);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("site notes") > 0);
    notes.close();
    EXPECT_FALSE(PtyGateway(o, {}).start().isEmpty());
    EXPECT_EQ(notes.size(), 10) << "the file stays as it was";
}

TEST(ServerFaults, UnknownNamesAndBadNumbersAreRefused) {
    for (const char* text : {"drop", "drop=0", "drop=x", "loud=2", "silent=1", "late=-5", ""}) {
        FaultPlan plan;
        EXPECT_FALSE(plan.add(text)) << text;
    }
}

TEST(ServerFaults, BadChecksAndOtherAddressesGetNoAnswer) {
    GatewayModel model(1, GatewayVariant::Transceiver);
    GatewayServer server(model, {});
    server.setMode(LineMode::Ascii);
    QByteArray bad = ascii("010301410001");
    bad[1] = '2'; // now addressed to 21 with a wrong LRC
    auto xs = server.receive(bad + ascii("020301410001") + ascii("010301410001"), 0);
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_FALSE(xs[0].requestCheckOk);
    EXPECT_TRUE(xs[0].answerFrame.isEmpty());
    EXPECT_TRUE(xs[1].answerFrame.isEmpty());
    EXPECT_EQ(xs[2].answerFrame, ascii("0103020041"));
}

TEST(SimulatedPort, AnswersTakeTheResponseTimeAndArriveAtTheCharacterRate) {
    ManualClock clock;
    auto model = std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver);
    model->setResponseTimeMs(50);
    SimulatedGatewayPort port(clock, std::move(model));
    port.setSettings("9600,E,8,1"); // RTU, 11 bits a character: 1.146 ms
    port.setPortOpen(true);
    port.Output(rtu("010301410001")); // 8 bytes: in at 9.2 ms
    const int answerBytes = rtuFrame(QByteArray::fromHex("0103020041")).size();
    clock.advance(59); // 9.2 + 50 = 59.2: the answer has not started
    EXPECT_EQ(port.InBufferCount(), 0);
    clock.advance(2); // 61 ms: one character out
    EXPECT_EQ(port.InBufferCount(), 1);
    clock.advance(3); // 64 ms: four characters out
    EXPECT_EQ(port.InBufferCount(), 4);
    clock.advance(10);
    EXPECT_EQ(port.InBufferCount(), answerBytes);
    EXPECT_EQ(port.Input(), rtuFrame(QByteArray::fromHex("0103020041")));
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST(SimulatedPort, SevenDataBitsSpeakAsciiAndClosingDropsWhatIsUnderway) {
    ManualClock clock;
    SimulatedGatewayPort port(clock, std::make_unique<GatewayModel>(1, GatewayVariant::Receiver));
    port.setSettings("9600,E,7,1");
    port.setPortOpen(true);
    port.Output(ascii("010301410001"));
    clock.advance(200);
    EXPECT_EQ(port.Input(), ascii("0103020040"));
    port.Output(ascii("010301410001"));
    port.setPortOpen(false);
    port.setPortOpen(true);
    clock.advance(200);
    EXPECT_EQ(port.InBufferCount(), 0);
}

// A gateway with line settings of its own answers only a port set the same way: another baud
// rate or mode gives silence, another parity an answer of the same length with damaged bytes.
TEST(SimulatedPort, OnlyAPortSetAsTheGatewayIsGetsItsAnswer) {
    struct Case {
        const char* gateway;
        const char* port;
        LineFit fit;
    } cases[] = {
        {"19200,N,8,2", "19200,N,8,2", LineFit::Same},
        {"19200,N,8,2", "9600,N,8,2", LineFit::Deaf},
        {"19200,N,8,2", "19200,N,7,2", LineFit::Deaf}, // ASCII to an RTU gateway
        {"19200,N,8,2", "19200,E,8,1", LineFit::Garbled},
        {"9600,E,7,1", "9600,O,7,1", LineFit::Garbled},
        {"9600,O,8,1", "9600,N,8,2", LineFit::Garbled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.gateway) + " / " + c.port);
        ManualClock clock;
        SimulatedGatewayPort port(clock,
                                  std::make_unique<GatewayModel>(1, GatewayVariant::Receiver));
        const LineSettings gateway = *parseLineSettings(c.gateway);
        port.setGatewayLine(gateway);
        port.setSettings(c.port);
        port.setPortOpen(true);
        const bool asciiPort = c.port[strlen(c.port) - 3] == '7';
        port.Output(asciiPort ? ascii("010301410001") : rtu("010301410001"));
        clock.advance(300);
        const QByteArray good = asciiPort ? ascii("0103020040") : rtu("0103020040");
        const QByteArray got = port.Input();
        EXPECT_EQ(lineFit(gateway, *parseLineSettings(c.port)), c.fit);
        switch (c.fit) {
        case LineFit::Same:
            EXPECT_EQ(got, good);
            break;
        case LineFit::Deaf:
            EXPECT_TRUE(got.isEmpty());
            EXPECT_TRUE(port.requestLog().empty()) << "the gateway heard nothing";
            break;
        case LineFit::Garbled:
            EXPECT_EQ(got.size(), good.size());
            EXPECT_NE(got, good);
            EXPECT_TRUE(got.contains('\0')) << "damaged characters come as 0x00";
            break;
        }
    }
}

// On a pseudo-terminal the tool's baud rate, PARODD and CSTOPB stay readable.
TEST(LineFit, APseudoTerminalsFlagsTellTheToolsSettings) {
    EXPECT_EQ(ptyLine(CS8 | PARODD, B115200, 8)->text(), "115200,O,8,1");
    EXPECT_EQ(ptyLine(CS8 | CSTOPB, B19200, 8)->text(), "19200,N,8,2");
    EXPECT_EQ(ptyLine(CS8, B9600, 7)->text(), "9600,E,7,1");
    EXPECT_FALSE(ptyLine(CS8, B0, 8).has_value());
}

TEST(SimOptions, ParsesEveryOptionAndRefusesBadValues) {
    auto ok = parseSimOptions({"sim",       "--mode",
                               "ASCII",     "--address",
                               "12,3",      "--variant",
                               "qrx",       "--sensors",
                               "32",        "--learn-delay",
                               "500",       "--response-time",
                               "0",         "--fault",
                               "drop=3",    "--fault",
                               "late=2000", "--seed",
                               "9",         "--baud",
                               "19200",     "--link",
                               "/tmp/gw",   "--parity",
                               "odd",       "--adapter-latency",
                               "16"});
    ASSERT_TRUE(std::holds_alternative<SimOptions>(ok));
    const SimOptions& o = std::get<SimOptions>(ok);
    EXPECT_EQ(o.mode, LineMode::Ascii);
    EXPECT_EQ(o.addresses, (std::vector<uint8_t>{12, 3}));
    EXPECT_EQ(o.variant, GatewayVariant::Receiver);
    EXPECT_EQ(o.sensors, 32);
    EXPECT_EQ(o.learnDelayMs, 500);
    EXPECT_EQ(o.responseTimeMs, 0);
    EXPECT_EQ(o.faults.dropEvery, 3);
    EXPECT_EQ(o.faults.lateMs, 2000);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_EQ(o.baud, 19200);
    EXPECT_EQ(o.parity, 'O');
    EXPECT_EQ(o.link, "/tmp/gw");
    EXPECT_EQ(o.adapterLatencyMs, 16);

    const QStringList bad[] = {
        {"sim", "--mode", "tcp"},
        {"sim", "--address", "0"},
        {"sim", "--address", "248"},
        {"sim", "--address", "1,1"},
        {"sim", "--address", "1,"},
        {"sim", "--sensors", "33"},
        {"sim", "--response-time", "65536"},
        {"sim", "--fault", "boom"},
        {"sim", "--baud", "fast"},
        {"sim", "--adapter-latency", "0"},
        {"sim", "--variant", "qzx"},
        {"sim", "--parity", "mark"},
        {"sim", "extra"},
        {"sim", "--nonsense"},
    };
    for (const QStringList& args : bad)
        EXPECT_TRUE(std::holds_alternative<QString>(parseSimOptions(args)))
            << args.join(' ').toStdString();
}

TEST(SimOptions, TheModelHasTheAskedSensorsAndResponseTime) {
    SimOptions o;
    o.sensors = 3;
    o.responseTimeMs = 75;
    o.addresses = {4, 5};
    auto m = makeGatewayModel(o, 4);
    EXPECT_EQ(m->address(), 4);
    EXPECT_EQ(makeGatewayModel(o, 5)->reg(11), 0x0184); // the second named: IDs 0184xxxx
    EXPECT_EQ(m->reg(11), 0x0183);                      // the first keeps 0183xxxx
    EXPECT_EQ(m->responseTimeMs(), 75);
    for (int row = 0; row < 3; ++row)
        EXPECT_NE(m->reg(10 * row), 0) << row;
    EXPECT_EQ(m->reg(30), 0);
    EXPECT_EQ(m->reg(400), 0x05); // the transceiver's first sender row
}

TEST(FrameLog, DescribesEveryFunctionAndNeverReadsPastTheEnd) {
    struct Case {
        const char* pdu;
        bool request;
        const char* text;
    } cases[] = {
        {"010300000010", true, "01 read registers 0x0000 x16"},
        {"01010020 0020", true, "01 read coils 0x0020 x32"},
        {"01050003FF00", true, "01 write coil 0x0003 on"},
        {"010500030000", true, "01 write coil 0x0003 off"},
        {"010F0000002004FFFF0000", true, "01 write coils 0x0000 x32 data FF FF 00 00"},
        {"0110005A000306000701834C17", true, "01 write registers 0x005A x3 values 0007 0183 4C17"},
        {"0103", true, "01 read registers ? x-1"},
        {"01", true, "undecodable request 01"},
        {"0103040005FF9A", false, "01 registers 0005 FF9A"},
        {"0183", false, "01 exception to function 03: -1 (unknown)"},
        {"018302", false, "01 exception to function 03: 2 (illegal data address)"},
        {"011000000003", false, "01 registers 0x0000 x3 written"},
        {"0101020F00", false, "01 coils 0F 00"},
    };
    for (const Case& c : cases) {
        const QByteArray pdu = QByteArray::fromHex(QByteArray(c.pdu).replace(' ', ""));
        EXPECT_EQ(c.request ? describeRequest(pdu) : describeAnswer(pdu), c.text) << c.pdu;
    }
}
