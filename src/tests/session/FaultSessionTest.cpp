// Whole sessions against a gateway that misbehaves on the line: dropped answers, corrupted
// checks, exception answers, noise before answers, answers that come late. At no moment may the
// table show a value the gateway does not hold, and the read must resume where it stopped.

#include "support/WindowSession.h"

#include <QCheckBox>
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
        // An ASCII line is taken only from a piece that begins with ":": noise in front of
        // every line loses every answer, and the alarm says so. Answers that come after the
        // time-out are taken only while no other request went out, so they may move the read
        // on slowly. Either way nothing foreign was shown.
        if (QString(GetParam().faults).startsWith("noise")) {
            EXPECT_FALSE(text("lbl_Alarm").isEmpty());
        }
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
                      FaultParam{"RTU", "noise=6"}, FaultParam{"ASCII", "noise=6", false},
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
