// Whole sessions against a gateway that misbehaves on the line: dropped answers, corrupted
// checks, exception answers, noise before answers, answers that come late. At no moment may the
// table show a value the gateway does not hold, and the read must resume where it stopped.

#include "support/WindowSession.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
struct FaultParam {
    const char* mode;
    const char* faults; // comma-separated plan
    bool completes = true;
};
void PrintTo(const FaultParam& p, std::ostream* os) {
    *os << p.mode << " " << p.faults;
}

std::unique_ptr<GatewayModel> gatewayWithSensors() {
    auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, 11);
    m->learnSensor(0, 0x05, 0x0012A3F1);
    m->learnSensor(7, 0x06, 0x00ABCDEF);
    m->learnSensor(16, 0x07, 0x01800A22);
    m->learnSensor(31, 0x07, 0xFFEE0001);
    m->fillDemoSenderRows();
    return m;
}

FaultPlan plan(const char* text) {
    FaultPlan p;
    for (const QString& f : QString(text).split(',', Qt::SkipEmptyParts))
        EXPECT_TRUE(p.add(f)) << f.toStdString();
    return p;
}

class FaultSession : public ::testing::TestWithParam<FaultParam>, public WindowSession {
protected:
    FaultSession()
        : WindowSession(gatewayWithSensors(), plan(GetParam().faults))
        , initialResponseText(text("txt_min_response")) {}
    const QString initialResponseText;

    // Each row shows either nothing yet or exactly what the gateway holds; so does the response
    // time.
    void expectNoForeignValue(const char* when) {
        const QString response = text("txt_min_response");
        ASSERT_TRUE(response == initialResponseText ||
                    response == QString::number(model->responseTimeMs()))
            << when << " response time " << response.toStdString();
        for (int row = 0; row < kSensorRows; ++row) {
            const QString shownOrg = org(row), shownId = id(row);
            if (shownOrg == "00" && shownId == "00000000")
                continue;
            const uint32_t held =
                (uint32_t(model->reg(10 * row + 1)) << 16) | model->reg(10 * row + 2);
            ASSERT_EQ(shownOrg, hex2(model->reg(10 * row))) << when << " row " << row;
            ASSERT_EQ(shownId, hex8(held)) << when << " row " << row;
        }
    }
    // Start registers of the block reads that reached the gateway, in order.
    std::vector<int> blockReads() const {
        std::vector<int> starts;
        for (const QByteArray& r : port->requestLog())
            if (r.size() == 6 && uint8_t(r[1]) == 0x03 && uint8_t(r[5]) == 0x0A)
                starts.push_back(uint8_t(r[2]) << 8 | uint8_t(r[3]));
        return starts;
    }
};
} // namespace

TEST_P(FaultSession, TheTableNeverShowsAForeignValueAndThePassCompletes) {
    connect(GetParam().mode);
    int64_t waited = 0;
    while (s.FirstReadPending && waited < (GetParam().completes ? 240000 : 30000)) {
        clock.advance(50);
        waited += 50;
        expectNoForeignValue("during the pass");
    }
    if (!GetParam().completes) {
        // Answers that come after the time-out are taken only while no other request went
        // out, so they may move the read on slowly; nothing foreign was shown.
        return;
    }
    ASSERT_FALSE(s.FirstReadPending) << "the pass did not end";
    expectNoForeignValue("after the pass");
    EXPECT_EQ(text("txt_devType"), "QTX40");
    EXPECT_EQ(org(16), "07");
    EXPECT_EQ(id(31), "FFEE0001");
    EXPECT_EQ(find<QLineEdit>("txt_sender_id_2")->text(), "FF9A0002");
    EXPECT_EQ(find<QLineEdit>("txt_snd_data_1_0")->text(), "80");

    // the walk never skips a block: each start is the last one again or the next one
    const std::vector<int> starts = blockReads();
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(starts.front(), 0);
    for (size_t i = 1; i < starts.size(); ++i) {
        const int step = starts[i] - starts[i - 1];
        EXPECT_TRUE(step == 0 || step == 10 || (starts[i - 1] == 310 && starts[i] == 400))
            << "block " << starts[i - 1] << " then " << starts[i];
    }
    EXPECT_EQ(starts.back(), 470);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, FaultSession,
    ::testing::Values(FaultParam{"RTU", "drop=4"}, FaultParam{"ASCII", "drop=4"},
                      FaultParam{"RTU", "corrupt=5"}, FaultParam{"ASCII", "corrupt=5"},
                      FaultParam{"RTU", "exception=4"}, FaultParam{"ASCII", "exception=6"},
                      FaultParam{"RTU", "noise=6"}, FaultParam{"ASCII", "noise=6"},
                      FaultParam{"RTU", "late=1100", false},
                      FaultParam{"ASCII", "late=1100", false},
                      FaultParam{"RTU", "drop=7,corrupt=5,noise=3"},
                      FaultParam{"ASCII", "drop=7,corrupt=4,exception=9"}));

namespace {
class SilentThenAnswering : public ::testing::TestWithParam<const char*>, public WindowSession {
protected:
    SilentThenAnswering()
        : WindowSession(gatewayWithSensors()) {}
};
} // namespace

// A gateway that stops answering in the middle of the pass: the alarm, at most one table request
// per time-out, and once it answers again the alarm clears and the read goes on.
TEST_P(SilentThenAnswering, TheAlarmComesAndGoesAndTheReadGoesOn) {
    connect(GetParam());
    find<QCheckBox>("chk_read")->click(); // keep reading
    clock.advance(3000);
    ASSERT_TRUE(text("lbl_Alarm").isEmpty());
    // nobody answers at address 9: for the tool the gateway has fallen silent
    find<QLineEdit>("txt_Modbus_adress")->setText("9");
    const size_t before = port->requestLog().size();
    clock.advance(5000);
    EXPECT_FALSE(text("lbl_Alarm").isEmpty());
    const size_t whileSilent = port->requestLog().size() - before;
    EXPECT_GE(whileSilent, 3u) << "the read keeps trying";
    EXPECT_LE(whileSilent, size_t(5000 / w->timers().Timer5.interval() + 1))
        << "at most one request per time-out";
    const int16_t stoppedAt = s.RegisterCounter;
    find<QLineEdit>("txt_Modbus_adress")->setText("1");
    clock.advance(3000);
    EXPECT_TRUE(text("lbl_Alarm").isEmpty());
    // the first request to address 1 again (one made for address 9 may still have been held)
    const auto& log = port->requestLog();
    size_t i = before + whileSilent;
    while (i < log.size() && uint8_t(log[i][0]) != 1)
        ++i;
    ASSERT_LT(i, log.size());
    EXPECT_EQ(uint8_t(log[i][2]) << 8 | uint8_t(log[i][3]), stoppedAt)
        << "resumes where it stopped";
}

INSTANTIATE_TEST_SUITE_P(Modes, SilentThenAnswering, ::testing::Values("ASCII", "RTU"));

namespace {
// A gateway that falls silent for a while during a periodic request: the slot watch after a
// learn-in (Timer2, every 300 ms), the table read (Timer1) and the inversion read (Timer3). With
// an answer time-out longer than the watch period, each watch request replaced the one held
// back for a quiet line, so the line was never quiet long enough and nothing went out again.
enum class Periodic { Watch, Table, Inversion };
struct StallParam {
    const char* mode;
    const char* baud;
    int responseMs; // with the baud rate it gives the answer time-out (reading on, then off)
    bool timeOutAboveWatchPeriod;
    Periodic operation = Periodic::Watch;
    int silentMs = 0;
    int strayEveryMs = 0;
};
void PrintTo(const StallParam& p, std::ostream* os) {
    static const char* names[] = {"watch", "table", "inversion"};
    *os << p.mode << " " << p.baud << " response " << p.responseMs << " ms, "
        << names[int(p.operation)] << ", silent " << p.silentMs << " ms";
}

class StalledLine : public ::testing::TestWithParam<StallParam>, public WindowSession {
protected:
    StalledLine()
        : WindowSession(receiver()) {}
    static std::unique_ptr<GatewayModel> receiver() {
        auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Receiver, 5);
        m->learnSensor(3, 0x07, 0x01800A22);
        m->setLearnDelayMs(400);
        return m;
    }
    // Connected, one pass read, reading switched on and off: Timer5 holds its read interval.
    void SetUp() override {
        model->setResponseTimeMs(uint16_t(GetParam().responseMs));
        pick(1, GetParam().baud);
        connect(GetParam().mode);
        for (int waited = 0; s.FirstReadPending && waited < 60000; waited += 100)
            clock.advance(100);
        ASSERT_FALSE(s.FirstReadPending);
        clock.advance(3000); // the status window of the pass closes
        find<QCheckBox>("chk_read")->click();
        clock.advance(1000);
        find<QCheckBox>("chk_read")->click();
        clock.advance(2000);
        ASSERT_EQ(w->timers().Timer5.interval() > 300, GetParam().timeOutAboveWatchPeriod)
            << w->timers().Timer5.interval();
    }
    void start(Periodic operation) {
        if (operation == Periodic::Watch) {
            find<QPushButton>("bt_learn_4")->click();
            clock.advance(500);
            inOpenWindow<QAbstractButton>("LernmodusFenster", "bt_learn_sensor")->click();
            clock.advance(300);
            ASSERT_TRUE(w->timers().Timer2.isEnabled()) << "learn mode is on, the watch runs";
        } else {
            find<QCheckBox>("chk_read")->click();
            clock.advance(1000);
        }
    }
    bool completed(Periodic operation, int16_t counterAtReturn) const {
        switch (operation) {
        case Periodic::Watch:
            return !w->timers().Timer2.isEnabled() && org(4) != "00";
        case Periodic::Table:
            return s.RegisterCounter != counterAtReturn;
        case Periodic::Inversion:
            return s.SingleRead; // the coil answer starts a single pass
        }
        return false;
    }
};
} // namespace

TEST_P(StalledLine, ThePeriodicRequestGoesOnOnceTheGatewayAnswers) {
    const StallParam& p = GetParam();
    start(p.operation);
    port->faults().silent = true;
    port->faults().strayEveryMs = p.strayEveryMs;
    clock.advance(p.silentMs);
    port->faults().silent = false;
    if (p.operation == Periodic::Inversion)
        w->timers().Timer3.setEnabled(true); // as switching a row's inversion does
    const int16_t counterAtReturn = s.RegisterCounter;
    const int period = p.operation == Periodic::Watch   ? w->timers().Timer2.interval()
                       : p.operation == Periodic::Table ? w->timers().Timer1.interval()
                                                        : w->timers().Timer3.interval();
    // held one quiet time-out at most (two on a line never quiet), then one period for the next
    const int bound = w->timers().Timer5.interval() * (p.strayEveryMs ? 2 : 1) + period + 200;
    int waited = 0;
    while (!completed(p.operation, counterAtReturn) && waited < bound + 5000) {
        clock.advance(10);
        waited += 10;
    }
    ASSERT_TRUE(completed(p.operation, counterAtReturn)) << "starved";
    EXPECT_LE(waited, bound);
}

namespace {
std::vector<StallParam> stallCases() {
    // ASCII 9600 / RTU with a 100 ms response time: a time-out above the 300 ms watch period;
    // ASCII 19200 / RTU with 20 ms: below it
    const StallParam lines[] = {{"ASCII", "9600", 20, true},
                                {"ASCII", "19200", 20, false},
                                {"RTU", "9600", 100, true},
                                {"RTU", "9600", 20, false}};
    std::vector<StallParam> cases;
    for (StallParam line : lines)
        for (Periodic op : {Periodic::Watch, Periodic::Table, Periodic::Inversion})
            for (int silent : {1000, 3000}) {
                line.operation = op;
                line.silentMs = silent;
                cases.push_back(line);
            }
    for (StallParam l : lines) // a stray byte every 100 ms (a second master, a bad bias)
        cases.push_back(
            {l.mode, l.baud, l.responseMs, l.timeOutAboveWatchPeriod, Periodic::Table, 1000, 100});
    return cases;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Lines, StalledLine, ::testing::ValuesIn(stallCases()));
