#include "link/Link.h"
#include "link/Hex.h"
#include "link/Mbap.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>
#include <random>

namespace {
class LinkTestWindow : public LinkFields {
public:
    QString modbusAddressText() const override { return address; }
    void setAlarmCaption(const QString& text) override { alarm = text; }
    void setReceiveBoxText(const QString& text) override { box = text; }
    QString receiveBoxText() const override { return box; }
    SenderRowValues senderRowValues(int) const override { return sender; }
    QString address = "1", alarm = "x", box;
    SenderRowValues sender{0, "80", "0", "0", "0", "48"};
};

// What the line tap reported, in short: "kind/rejection/code".
struct TapLog : LineObserver {
    void lineEvent(const LineEvent& e) override {
        if (e.kind == LineEventKind::Received)
            return;
        QString entry = QString::number(int(e.kind));
        if (e.kind == LineEventKind::Rejected)
            entry += QString("/%1/%2").arg(int(e.rejection)).arg(e.exceptionCode);
        if (e.late)
            entry += "/late";
        log << entry;
    }
    QStringList log;
};
QString rejected(Rejection why, int code = 0) {
    return QString("%1/%2/%3").arg(int(LineEventKind::Rejected)).arg(int(why)).arg(code);
}
QString event(LineEventKind kind) {
    return QString::number(int(kind));
}

struct LinkFixture : ::testing::Test {
    ProgramSettings s;
    ManualClock clock;
    std::unique_ptr<Timer> t4 = clock.createTimer("Timer4", 50);
    std::unique_ptr<Timer> t5 = clock.createTimer("Timer5", 1000);
    ScriptedPort port;
    LinkTestWindow window;
    RecordingMessageBoxes messages;
    Link link{s, clock, port, *t4, *t5, window, messages};
    QStringList answers; // "kind:text"
    TapLog tap;

    LinkFixture() {
        port.open = true;
        link.addObserver(&tap);
        for (int kind : {2, 3, 4, 6, 7, 9, 10, 12, 13, 14})
            link.setAnswerHandler(kind, [this, kind](const Answer& a) {
                answers << QString("%1:%2").arg(kind).arg(a.text());
            });
    }
    void mode(const char* m) { s.ModeText = m; }
    QByteArray rtu(const char* hex) { return rtuFrame(QByteArray::fromHex(hex)); }
    void feed(const QByteArray& bytes) {
        port.receive(bytes);
        link.ReceiveAnswer();
    }
};
} // namespace

TEST_F(LinkFixture, RtuRequestBytesOfEveryKind) {
    mode("RTU");
    using Set = std::function<void(ProgramSettings&)>;
    struct Case {
        int kind;
        Set set;
        const char* request;
    } cases[] = {
        {1,
         [](auto& p) {
             p.RegisterCounter = 0;
             p.LearnOrgText = "05";
             p.LearnIdText = "00001578";
         },
         "0110000000030600050000"
         "1578"},
        {1,
         [](auto& p) {
             p.RegisterCounter = 310;
             p.LearnOrgText = "00";
             p.LearnIdText = "00000000";
         },
         "01100136000306000000000000"},
        {2, [](auto& p) { p.RegisterCounter = 310; }, "010F001F00010101"},
        {3, [](auto& p) { p.RegisterCounter = 20; }, "01030014000A"},
        {4, [](auto& p) { p.RegisterCounter = 300; }, "0103012C000A"},
        {4, [](auto& p) { p.RegisterCounter = 470; }, "010301D6000A"},
        {5, [](auto& p) { p.RegisterCounter = 0; }, "010F000000010100"},
        {6, [](auto& p) { p.CurrentRow = 31; }, "0101003F0001"},
        {7, {}, "010100200020"},
        {8,
         [](auto& p) {
             p.CurrentRow = 0;
             p.InversionValue = 1;
         },
         "010F002000010101"},
        {9, {}, "010301400001"},
        {10, [](auto& p) { p.ResponseTime = 300; },
         "0110014000010201"
         "2C"},
        {12, [](auto& p) { p.SenderRow = 0; },
         "01100190000A14"
         "0005"
         "00000000000000000000"
         "0050"
         "0030"
         "00000000"},
        {12, [](auto& p) { p.SenderRow = 7; },
         "011001D6000A14"
         "0005"
         "00000000000000000000"
         "0050"
         "0030"
         "00000000"},
        {13, [](auto& p) { p.TransmitRow = 2; }, "01050042FF00"},
        {14, {}, "010301410001"},
    };
    for (const auto& c : cases) {
        s = ProgramSettings{};
        mode("RTU");
        s.RequestKind = c.kind;
        if (c.set)
            c.set(s);
        port.written.clear();
        link.send();
        ASSERT_EQ(port.written.size(), 1) << c.kind;
        EXPECT_EQ(port.written[0].toHex().toUpper(), rtu(c.request).toHex().toUpper()) << c.kind;
        EXPECT_TRUE(t5->isEnabled());
    }
}

TEST_F(LinkFixture, KnownChecksOfTheFirstFrames) {
    mode("RTU");
    s.RequestKind = 14;
    link.send();
    s.RequestKind = 7;
    link.send();
    s.RequestKind = 13;
    s.TransmitRow = 0;
    link.send();
    ASSERT_EQ(port.written.size(), 3);
    EXPECT_EQ(port.written[0].toHex(' ').toUpper(), "01 03 01 41 00 01 D5 E2");
    EXPECT_EQ(port.written[1].right(2).toHex().toUpper(), "3C18");
    EXPECT_EQ(port.written[2].right(2).toHex().toUpper(), "8DEE");
}

TEST_F(LinkFixture, AsciiFramesTheRequestTextForEveryKind) {
    mode("ASCII");
    for (int kind : {0, 11, 14}) {
        s.RequestKind = kind;
        s.RequestText = "010301410001";
        port.written.clear();
        link.send();
        ASSERT_EQ(port.written.size(), 1);
        EXPECT_EQ(port.written[0], QByteArray(":010301410001B9\r\n"));
    }
}

TEST_F(LinkFixture, NothingMalformedReachesTheLine) {
    struct Case {
        const char* mode;
        int kind;
        std::function<void(ProgramSettings&, LinkTestWindow&)> set;
    } cases[] = {
        {"RTU", 14, [](auto&, auto& w) { w.address = "256"; }},
        {"RTU", 14, [](auto&, auto& w) { w.address = ""; }},
        {"RTU", 4, [](auto& p, auto&) { p.RegisterCounter = 512; }},
        {"RTU", 1,
         [](auto& p, auto&) {
             p.LearnOrgText = "05";
             p.LearnIdText = "0000157G";
         }},
        {"RTU", 1,
         [](auto& p, auto&) {
             p.LearnOrgText = "5";
             p.LearnIdText = "00001578";
         }},
        {"RTU", 12, [](auto&, auto& w) { w.sender.data2 = "256"; }},
        {"RTU", 12, [](auto&, auto& w) { w.sender.status = "abc"; }},
        {"RTU", 12, [](auto&, auto& w) { w.sender.orgIndex = -1; }},
        {"RTU", 10, [](auto& p, auto&) { p.ResponseTime = 65536; }},
        {"ASCII", 14, [](auto& p, auto&) { p.RequestText = "0103014"; }},
        {"ASCII", 14, [](auto& p, auto&) { p.RequestText = "01G3"; }},
        {"ASCII", 14, [](auto& p, auto&) { p.RequestText = ""; }},
    };
    for (const auto& c : cases) {
        s = ProgramSettings{};
        window = LinkTestWindow{};
        mode(c.mode);
        s.RequestKind = c.kind;
        c.set(s, window);
        messages.shown.clear();
        link.send();
        EXPECT_TRUE(port.written.isEmpty()) << c.mode << c.kind;
        EXPECT_EQ(messages.shown.size(), 1) << c.mode << c.kind;
    }
}

TEST_F(LinkFixture, RtuKindWithoutRequestWritesNothingAndSaysNothing) {
    mode("RTU");
    for (int kind : {0, 11, 99}) {
        s.RequestKind = kind;
        link.send();
    }
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(LinkFixture, ClosedPortSaysSoAndStillArmsTheTimeOut) {
    mode("ASCII");
    port.open = false;
    s.RequestText = "010301410001";
    link.send();
    EXPECT_EQ(messages.shown, QStringList{"Port is not open"});
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(t5->isEnabled());
}

TEST_F(LinkFixture, RtuAnswerInPiecesIsDispatchedOnceWhenComplete) {
    mode("RTU");
    s.RequestKind = 4;
    t5->setEnabled(true);
    const QByteArray frame = rtu("010314"
                                 "0005001234560011002200330044123400000000");
    ASSERT_EQ(frame.size(), 25);
    feed(frame.left(10));
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_TRUE(t5->isEnabled());
    feed(frame.mid(10));
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0], "4:" + frame.toHex().toUpper());
    EXPECT_FALSE(t5->isEnabled());
    EXPECT_EQ(window.alarm, "");
    EXPECT_TRUE(s.LinkReady);
    EXPECT_EQ(window.box, "") << "the receive box is empty between answers";
    EXPECT_EQ(s.ReceiveCount, 0);
}

TEST_F(LinkFixture, RtuRandomSplitsGiveTheSameAnswers) {
    mode("RTU");
    s.RequestKind = 7;
    const QByteArray stream = QByteArray::fromHex("05FF") +
                              rtu("0101040180"
                                  "00FF") +
                              rtu("0183"
                                  "02") +
                              rtu("0110014000"
                                  "01");
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        answers.clear();
        link.resetReceiveState();
        for (int at = 0; at < stream.size();) {
            const int n = 1 + static_cast<int>(random() % 6);
            feed(stream.mid(at, n));
            at += n;
        }
        ASSERT_EQ(answers.size(), 2) << round;
        EXPECT_EQ(answers[0], "7:" + rtu("010104018000FF").toHex().toUpper());
        EXPECT_EQ(answers[1], "7:" + rtu("011001400001").toHex().toUpper());
    }
}

TEST_F(LinkFixture, RtuTwoFramesInOneReadAreBothDispatchedInOrder) {
    mode("RTU");
    s.RequestKind = 9;
    feed(rtu("010302012C") + rtu("01030200FF"));
    ASSERT_EQ(answers.size(), 2);
    EXPECT_TRUE(answers[0].contains("010302012C"));
    EXPECT_TRUE(answers[1].contains("01030200FF"));
}

TEST_F(LinkFixture, RtuFramesThatDoNotCheckOutAreDropped) {
    mode("RTU");
    s.RequestKind = 9;
    t5->setEnabled(true);
    QByteArray bad = rtu("010302012C");
    bad[bad.size() - 1] = static_cast<char>(bad.back() ^ 0x01);
    feed(bad);
    feed(rtu("02030200FF")); // another slave
    feed(rtu("018302"));     // exception
    feed(rtu("0106"));       // a function the tool does not take
    feed(QByteArray(3, 0));  // noise
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_TRUE(t5->isEnabled());
    feed(rtu("010302012C"));
    EXPECT_EQ(answers.size(), 1);
    EXPECT_EQ(tap.log,
              QStringList({rejected(Rejection::CheckFailed), rejected(Rejection::OtherAddress),
                           rejected(Rejection::Exception, 2), rejected(Rejection::NotAccepted),
                           rejected(Rejection::Noise), rejected(Rejection::Noise),
                           event(LineEventKind::Taken)}));
}

TEST_F(LinkFixture, RtuBodyLongerThanTheBufferTakesTheErrorPath) {
    mode("RTU");
    s.RequestKind = 4;
    QByteArray huge = QByteArray::fromHex("0103FA") + QByteArray(250, '\x11');
    feed(huge);
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_EQ(s.ReceiveCount, 0);
    EXPECT_EQ(s.ReceiveBuffer[0], 0);
    feed(rtu("010302012C"));
    EXPECT_EQ(answers.size(), 1);
}

TEST_F(LinkFixture, RtuWithoutAddressCollectsNothing) {
    mode("RTU");
    window.address = "";
    s.RequestKind = 9;
    feed(rtu("010302012C"));
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_EQ(s.ReceiveCount, 0);
}

TEST_F(LinkFixture, RtuWriteAnswerIsCompleteAfterEightBytes) {
    mode("RTU");
    s.RequestKind = 10;
    window.alarm = "Kommunikationsproblem!";
    t5->setEnabled(true);
    feed(rtu("011001400001"));
    EXPECT_EQ(window.alarm, "");
    EXPECT_FALSE(t5->isEnabled());
    EXPECT_EQ(s.RequestKind, 10);
    EXPECT_EQ(answers.size(), 1);
}

TEST_F(LinkFixture, AsciiLineInOneOrSeveralPieces) {
    mode("ASCII");
    s.RequestKind = 14;
    const QString body = "0103020041";
    const QByteArray line = asciiFrame(body);
    bool onePiece = false;
    link.setAnswerHandler(14, [&](const Answer& a) {
        answers << a.text();
        onePiece = a.onePiece();
    });
    // A badly biased RS485 line puts a byte (00 or FF) in front of the answer at the bus
    // turnaround; a ":" further on in a piece starts the line there.
    const QByteArray zero(1, '\0'), ff(1, '\xFF');
    const struct {
        QByteArrayList pieces;
        bool onePiece;
    } cases[] = {
        {{line}, true},
        {{line.left(4), line.mid(4, 5), line.mid(9)}, false},
        {{zero + line}, true},
        {{ff + line}, true},
        {{zero + line.left(6), line.mid(6)}, false},
        {{ff + ff + line.left(1), line.mid(1)}, false},
        {{zero, line}, true},
        {{line.left(7), zero + line}, true}, // a new line replaces an unfinished one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pieces.join("|").toHex().toStdString());
        answers.clear();
        for (const QByteArray& piece : c.pieces)
            feed(piece);
        ASSERT_EQ(answers.size(), 1);
        EXPECT_EQ(answers[0], body + CalculateLRC(body));
        EXPECT_EQ(onePiece, c.onePiece);
    }
}

TEST_F(LinkFixture, AsciiDropsStrayPiecesAndLinesThatDoNotCheckOut) {
    mode("ASCII");
    s.RequestKind = 9;
    t5->setEnabled(true);
    feed("0103020041\r\n");         // no ":" and nothing collected
    feed(":0103020041FF\r\n");      // wrong LRC
    feed(asciiFrame("0203020041")); // another slave
    feed(asciiFrame("018302"));     // exception
    feed(":01G3\r\n");              // not hex
    feed(asciiFrame("010600"));     // a function the tool does not take
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_TRUE(t5->isEnabled());
    feed(asciiFrame("010302012C"));
    EXPECT_EQ(answers.size(), 1);
    EXPECT_EQ(tap.log,
              QStringList({rejected(Rejection::Noise), rejected(Rejection::CheckFailed),
                           rejected(Rejection::OtherAddress), rejected(Rejection::Exception, 2),
                           rejected(Rejection::CheckFailed), rejected(Rejection::NotAccepted),
                           event(LineEventKind::Taken)}));
}

TEST_F(LinkFixture, AsciiAnswersToSenderKindsOnlyEndTheTimeOut) {
    mode("ASCII");
    for (int kind : {12, 13}) {
        s.RequestKind = kind;
        t5->setEnabled(true);
        feed(asciiFrame("011001900000"));
        EXPECT_FALSE(t5->isEnabled());
        EXPECT_TRUE(answers.isEmpty());
        EXPECT_EQ(s.RequestKind, kind);
    }
}

TEST_F(LinkFixture, AHandlerFaultResetsTheReceiveStateWithoutAMessage) {
    mode("RTU");
    s.RequestKind = 4;
    link.setAnswerHandler(4, [](const Answer& a) { (void)a.chars(7, 40); });
    feed(rtu("010302012C"));
    EXPECT_EQ(s.ReceiveCount, 0);
    EXPECT_EQ(window.box, "");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(Answer, ReadsNeverPassTheEnd) {
    const Answer a("0103020041");
    EXPECT_EQ(a.chars(1, 2), "01");
    EXPECT_EQ(a.wordAt(7), 0x0041);
    EXPECT_EQ(a.byteAt(9), 0x41);
    EXPECT_THROW(a.chars(9, 3), ReceiveFault);
    EXPECT_THROW(a.wordAt(8), ReceiveFault);
    EXPECT_THROW(a.chars(0, 1), ReceiveFault);
    EXPECT_THROW(Answer("01G3").byteAt(3), ReceiveFault);
}

// After a time-out the answer to the timed-out request may still come, and would be taken for
// the next request's: the next frame waits until the line has been quiet for one time-out.
TEST_F(LinkFixture, AfterATimeOutTheNextFrameWaitsForAQuietLine) {
    struct Rig : LinkFixture {
        void TestBody() override {}
    };
    for (const char* m : {"RTU", "ASCII"}) {
        SCOPED_TRACE(m);
        Rig f;
        f.mode(m);
        f.t4->setEnabled(true);
        f.s.RequestKind = 14;
        f.s.RequestText = "010301410001";
        f.link.send();
        ASSERT_EQ(f.port.written.size(), 1);
        f.clock.advance(1000);
        f.s.RequestKind = 9;
        f.s.RequestText = "010301400001";
        f.link.send();
        EXPECT_TRUE(f.link.holdingFrame());
        EXPECT_EQ(f.port.written.size(), 1) << "held back";
        EXPECT_FALSE(f.t5->isEnabled()) << "no time-out runs for a frame not yet written";
        f.clock.advance(300);
        // the late answer to the identification arrives: drained, never dispatched
        f.port.receive(QString(m) == "RTU" ? f.rtu("0103020041") : asciiFrame("0103020041"));
        f.clock.advance(900);
        EXPECT_TRUE(f.answers.isEmpty());
        EXPECT_EQ(f.port.written.size(), 1) << "the quiet time starts again after the answer";
        f.clock.advance(200);
        ASSERT_EQ(f.port.written.size(), 2);
        EXPECT_TRUE(f.t5->isEnabled()) << "the time-out runs from the write";
        EXPECT_FALSE(f.link.holdingFrame());
        // the right answer is taken at once
        f.port.receive(QString(m) == "RTU" ? f.rtu("0103020014") : asciiFrame("0103020014"));
        f.clock.advance(100);
        ASSERT_EQ(f.answers.size(), 1);
        EXPECT_TRUE(f.answers[0].startsWith("9:0103020014"));
        // answered: the following request goes out at once
        f.link.send();
        EXPECT_EQ(f.port.written.size(), 3);
        using K = LineEventKind;
        EXPECT_EQ(f.tap.log, QStringList({event(K::Written), event(K::TimedOut), event(K::Drained),
                                          event(K::Written), event(K::Taken), event(K::Written)}));
    }
}

// The poll rests while the port holds nothing: no tick wakes the program between a request and
// its answer, and the answer is still taken at the tick that would have taken it.
TEST_F(LinkFixture, ThePollRestsUntilBytesArriveAndKeepsItsRhythm) {
    mode("RTU");
    t4->setEnabled(true);
    s.RequestKind = 14;
    s.RequestText = "010301410001";
    link.send();
    clock.advance(50);
    EXPECT_TRUE(t4->resting()) << "nothing to poll for";
    clock.advance(70); // 120 ms
    port.receive(rtu("0103020041"));
    EXPECT_FALSE(t4->resting());
    clock.advance(29);
    EXPECT_TRUE(answers.isEmpty()) << "bytes are taken by the poll, not as they arrive";
    clock.advance(1); // 150 ms, the poll's own tick
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].startsWith("14:0103020041"));
}

// A request that replaces one within its time-out: the old one's answer, arriving after the new
// request went out, does not fit it (function code, byte count, write echo) and is rejected; the
// new one's own answer is still taken.
TEST_F(LinkFixture, AReplacedRequestsAnswerIsNotTakenForTheNewOne) {
    struct Rig : LinkFixture {
        void TestBody() override {}
    };
    const QByteArray block = "010314" + QByteArray(40, '0'); // ten registers
    const struct {
        int kinds[2], rows[2]; // RTU builds from the row, ASCII sends the text
        QByteArray texts[2], stale, own;
    } cases[] = {
        {{4, 7}, {0, 0}, {"01030000000A", "010100200020"}, block, "01010400000000"},
        {{14, 4}, {0, 0}, {"010301410001", "01030000000A"}, "0103020041", block},
        {{2, 2}, {3, 5}, {"010F000300010101", "010F000500010101"}, "010F00030001", "010F00050001"},
    };
    for (const char* m : {"RTU", "ASCII"})
        for (const auto& c : cases) {
            SCOPED_TRACE(m + std::string(" ") + c.texts[1].constData());
            Rig f;
            f.mode(m);
            auto frame = [&](const QByteArray& hex) {
                return QString(m) == "RTU" ? f.rtu(hex) : asciiFrame(QString(hex));
            };
            for (int i : {0, 1}) {
                f.s.RequestKind = c.kinds[i];
                f.s.RequestText = c.texts[i];
                f.s.RegisterCounter = int16_t(10 * c.rows[i]);
                f.link.send();
            }
            f.feed(frame(c.stale));
            f.feed(frame(c.own));
            ASSERT_EQ(f.answers.size(), 1);
            EXPECT_TRUE(f.answers[0].startsWith(QString("%1:%2").arg(c.kinds[1]).arg(c.own)));
            EXPECT_TRUE(f.tap.log.contains(rejected(Rejection::Misfit)));
        }
}

TEST_F(LinkFixture, ARequestWithoutTimeOutIsWrittenAtOnce) {
    mode("RTU");
    s.RequestKind = 14;
    link.send();
    link.send(); // one request replacing another, as a learn-in click during a read does
    EXPECT_EQ(port.written.size(), 2);
    EXPECT_FALSE(link.holdingFrame());
}

// A network port hands over frames split at any byte, and several at once: every collector takes
// them whatever the chunking.
TEST_F(LinkFixture, CollectorsTakeFramesSplitAtAnyByteAndMerged) {
    s.RequestKind = 9;
    const QByteArray a = QByteArray::fromHex("010302012C"), b = QByteArray::fromHex("01030200FF");
    const QString ha = hexOf(rtuFrame(a)), hb = hexOf(rtuFrame(b));
    const struct {
        const char* mode;
        PortKind kind;
        QByteArray stream;
        QStringList texts;
    } cases[] = {
        {"RTU", PortKind::Device, rtuFrame(a) + rtuFrame(b), {ha, hb}},
        {"ASCII",
         PortKind::Device,
         asciiFrame(hexOf(a)) + asciiFrame(hexOf(b)),
         {hexOf(a) + CalculateLRC(hexOf(a)), hexOf(b) + CalculateLRC(hexOf(b))}},
        {"ASCII", PortKind::ModbusTcp, mbapFrame(0, a) + mbapFrame(0, b), {ha, hb}},
    };
    for (const auto& c : cases) {
        mode(c.mode);
        port.portKind = c.kind;
        std::vector<QByteArrayList> chunkings{{c.stream}, {}};
        for (int i = 0; i < c.stream.size(); ++i) // byte by byte, and cut once at every byte
            chunkings[1] << c.stream.mid(i, 1);
        for (int at = 1; at < c.stream.size(); ++at)
            chunkings.push_back({c.stream.left(at), c.stream.mid(at)});
        for (const QByteArrayList& pieces : chunkings) {
            SCOPED_TRACE(pieces.join('|').toHex(' ').toStdString());
            answers.clear();
            for (const QByteArray& piece : pieces)
                feed(piece);
            EXPECT_EQ(answers, (QStringList{"9:" + c.texts[0], "9:" + c.texts[1]}));
        }
    }
}

// Through a network port the answer time-out adds the port's margin and runs from the connection;
// Modbus TCP frames the window's request in MBAP whatever the mode and tells a late or foreign
// answer by its transaction id; a lost connection ends the exchange at once.
TEST_F(LinkFixture, NetworkPortsTimeFromTheConnectionAndEndWithIt) {
    mode("ASCII");
    port.portKind = PortKind::ModbusTcp;
    port.margin = 100;
    port.isConnecting = true;
    s.RequestKind = 14;
    s.RequestText = "010301410001";
    link.send();
    const QByteArray identify = QByteArray::fromHex("010301410001");
    EXPECT_EQ(port.written.value(0), mbapFrame(1, identify));
    link.claimLine();
    std::optional<ExchangeResult> r;
    const auto ask = [&] {
        r.reset();
        link.exchange(identify, {300, 0}, [&](const ExchangeResult& x) { r = x; });
    };
    ask();
    EXPECT_EQ(port.written.value(1), mbapFrame(2, identify));
    clock.advance(5000);
    EXPECT_FALSE(r) << "no time-out while connecting";
    port.connected();
    clock.advance(399);
    EXPECT_FALSE(r);
    clock.advance(1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, ExchangeOutcome::TimedOut) << "300 ms and the margin";

    ask(); // transaction 3
    tap.log.clear();
    const QByteArray answer = QByteArray::fromHex("0103020041");
    // late, foreign, and a length no frame has: the stream is dropped there
    feed(mbapFrame(2, answer) + mbapFrame(900, answer) + QByteArray::fromHex("00040000FFFF01"));
    EXPECT_FALSE(r);
    feed(mbapFrame(3, answer));
    ASSERT_TRUE(r && r->ok());
    EXPECT_EQ(r->answer, answer);
    EXPECT_EQ(tap.log,
              (QStringList{event(LineEventKind::Drained), rejected(Rejection::OtherTransaction),
                           rejected(Rejection::Noise), event(LineEventKind::Taken)}));

    ask();
    port.loseDevice();
    ASSERT_TRUE(r);
    EXPECT_EQ(describeOutcome(*r), "port closed");
}
