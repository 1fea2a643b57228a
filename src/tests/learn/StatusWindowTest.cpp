#include "learn/LearnFakes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
struct StatusWindowTest : ::testing::Test {
    LearnRig rig;
    std::vector<int> barValues;

    void SetUp() override {
        QObject::connect(bar(), &QProgressBar::valueChanged,
                         [this](int v) { barValues.push_back(v); });
    }
    QProgressBar* bar() { return rig.child<QProgressBar>(&rig.status, "ProgressFile"); }
    QString text() { return rig.child<QLabel>(&rig.status, "lblTxt")->text(); }
    QPushButton* cancel() { return rig.child<QPushButton>(&rig.status, "Abbruch"); }
    void showFor(int32_t kind) {
        rig.settings.RequestKind = kind;
        rig.main.ShowMsgWindow();
    }
};
} // namespace

TEST_F(StatusWindowTest, LearnWaitStepsEverySecondAndRestartsEachPeriod) {
    showFor(RequestKinds::WatchSensorSlot);
    ASSERT_TRUE(rig.status.isShownNow());
    EXPECT_EQ(text(), "Lerntaste drücken ...");
    EXPECT_TRUE(cancel()->isVisible());
    EXPECT_TRUE(rig.t2->isEnabled()) << "the slot watch starts with the window";
    rig.clock.advance(999);
    EXPECT_EQ(bar()->value(), 0);
    rig.clock.advance(1);
    EXPECT_EQ(bar()->value(), 1);
    rig.clock.advance(8999);
    EXPECT_EQ(bar()->value(), 9);
    barValues.clear();
    rig.clock.advance(1);
    EXPECT_EQ(barValues, (std::vector<int>{10, 0})) << "full at 10 s, then the period restarts";
    rig.clock.advance(1000);
    EXPECT_EQ(bar()->value(), 1);
    rig.clock.advance(60000);
    EXPECT_TRUE(rig.status.isShownNow()) << "the learn wait has no time-out";
    EXPECT_TRUE(rig.port.written.isEmpty());
}

TEST_F(StatusWindowTest, TableReadPeriodFollowsTimer1) {
    struct Row {
        int timer1, period, step;
    };
    for (Row r : {Row{250, 12000, 1200}, Row{300, 14400, 1440}, Row{333, 15984, 1598},
                  Row{335, 16080, 1608}, Row{0, 0, 0}}) {
        rig.t1->setInterval(r.timer1);
        showFor(RequestKinds::ReadSensorTable);
        EXPECT_EQ(rig.status.periodTimer()->interval(), r.period) << r.timer1;
        EXPECT_EQ(rig.status.stepTimer()->interval(), r.step) << r.timer1;
        rig.status.close();
    }
}

TEST_F(StatusWindowTest, TableReadClosesItselfAfterTwelveSeconds) {
    showFor(RequestKinds::ReadSensorTable);
    EXPECT_EQ(text(), "Warten ...");
    EXPECT_TRUE(cancel()->isVisible());
    EXPECT_FALSE(rig.t2->isEnabled());
    rig.clock.advance(1199);
    EXPECT_EQ(bar()->value(), 0);
    rig.clock.advance(1);
    EXPECT_EQ(bar()->value(), 1);
    rig.clock.advance(12000 - 1200 - 1);
    EXPECT_TRUE(rig.status.isShownNow());
    EXPECT_EQ(bar()->value(), 9);
    rig.clock.advance(1);
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_EQ(text(), "Warten ...") << "kind 4 keeps its text";
    EXPECT_FALSE(rig.status.periodTimer()->isEnabled());
    EXPECT_FALSE(rig.status.stepTimer()->isEnabled());
}

TEST_F(StatusWindowTest, TableReadEndingEarlyGivesInvalidStateAtPeriodEnd) {
    showFor(RequestKinds::ReadSensorTable);
    rig.clock.advance(5000);
    rig.settings.RequestKind = RequestKinds::None; // the single pass has ended
    rig.clock.advance(7000);
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_EQ(text(), "Invalid state");
}

TEST_F(StatusWindowTest, CancelInLearnWaitSwitchesLearnModeOffAndCloses) {
    rig.settings.CurrentRow = 0;
    rig.settings.RegisterCounter = 0;
    showFor(RequestKinds::WatchSensorSlot);
    cancel()->click();
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::CancelLearn);
    EXPECT_EQ(rig.settings.RequestText, "010F000000010100");
    ASSERT_EQ(rig.port.written.size(), 1);
    EXPECT_EQ(rig.port.written[0], QByteArray(":010F000000010100EE\r\n"));
    EXPECT_FALSE(rig.t2->isEnabled());
    EXPECT_FALSE(rig.status.isShownNow());
}

TEST(StatusWindowRtu, CancelWritesTheLearningRowsCoilEvenAfterATableReadMovedTheRegister) {
    LearnRig rig("RTU");
    rig.settings.CurrentRow = 17;
    rig.settings.RegisterCounter = 170;
    rig.settings.RequestKind = RequestKinds::WatchSensorSlot;
    rig.main.ShowMsgWindow();
    rig.settings.RegisterCounter = 40; // chk_read switched on meanwhile
    rig.status.Abbruch_Click();
    EXPECT_EQ(rig.writtenRequests(), QStringList{"010F001100010100"});
}

TEST_F(StatusWindowTest, CancelInLearnWaitWithoutAddressSendsNothingAndClosesAtPeriodEnd) {
    for (QString address : {"", "256", "x1"}) {
        rig.main.address = address;
        showFor(RequestKinds::WatchSensorSlot);
        rig.clock.advance(3000);
        cancel()->click();
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::CancelLearn);
        EXPECT_FALSE(rig.t2->isEnabled());
        EXPECT_TRUE(rig.status.isShownNow()) << address.toStdString();
        rig.clock.advance(7000);
        EXPECT_FALSE(rig.status.isShownNow()) << address.toStdString();
        EXPECT_TRUE(rig.port.written.isEmpty());
    }
}

TEST_F(StatusWindowTest, CancelInTableReadStopsTheReadAndCloses) {
    showFor(RequestKinds::ReadSensorTable);
    rig.t1->setEnabled(true);
    rig.t3->setInterval(500);
    rig.t3->setEnabled(true);
    cancel()->click();
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::None);
    EXPECT_FALSE(rig.t1->isEnabled());
    EXPECT_FALSE(rig.t3->isEnabled());
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_TRUE(rig.port.written.isEmpty());
}

TEST_F(StatusWindowTest, ShowMsgWithNoRequestClosesAtOnceWithInvalidState) {
    showFor(RequestKinds::None);
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_EQ(text(), "Invalid state");
}

TEST_F(StatusWindowTest, OtherKindsShowWithoutTimers) {
    showFor(RequestKinds::SetInversion);
    EXPECT_TRUE(rig.status.isShownNow());
    EXPECT_FALSE(cancel()->isVisible());
    rig.clock.advance(100000);
    EXPECT_TRUE(rig.status.isShownNow());
    EXPECT_EQ(bar()->value(), 0);
}

TEST_F(StatusWindowTest, CloseBoxStopsTheWatchAndSendsNothing) {
    showFor(RequestKinds::WatchSensorSlot);
    rig.clock.advance(2000);
    rig.status.close();
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_FALSE(rig.t2->isEnabled());
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::WatchSensorSlot);
    barValues.clear();
    rig.clock.advance(20000);
    EXPECT_TRUE(barValues.empty()) << "the window's timers end with it";
    EXPECT_TRUE(rig.port.written.isEmpty());
}

TEST_F(StatusWindowTest, CompletedLearnInClosesWithTheFinalText) {
    showFor(RequestKinds::WatchSensorSlot);
    rig.main.CloseStatusWindow();
    EXPECT_FALSE(rig.status.isShownNow());
    EXPECT_EQ(text(), "Sensor ID eingelernt!");
    EXPECT_FALSE(cancel()->isVisible());
    EXPECT_FALSE(rig.t2->isEnabled());
}

TEST_F(StatusWindowTest, EveryShowingIsAFreshLoad) {
    showFor(RequestKinds::WatchSensorSlot);
    rig.clock.advance(4000);
    rig.main.CloseStatusWindow();
    rig.main.english = true;
    showFor(RequestKinds::ReadSensorTable);
    EXPECT_EQ(rig.status.windowTitle(), "State");
    EXPECT_EQ(cancel()->text(), "Cancel");
    EXPECT_EQ(text(), "Waiting ...");
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_EQ(rig.status.progressStep(), 0);
    EXPECT_TRUE(rig.child<QWidget>(&rig.status, "frameProgress")->isVisible());
    EXPECT_EQ(rig.main.localised.back(), 3);
    rig.main.english = false;
    rig.status.close();
    showFor(RequestKinds::ReadSensorTable);
    EXPECT_EQ(rig.status.windowTitle(), "Status");
    EXPECT_EQ(cancel()->text(), "Abbruch");
}

TEST_F(StatusWindowTest, ShowingAgainWhileOpenRestartsBarAndTimers) {
    showFor(RequestKinds::WatchSensorSlot);
    rig.clock.advance(5500);
    EXPECT_EQ(bar()->value(), 5);
    rig.main.ShowMsgWindow();
    EXPECT_EQ(bar()->value(), 0);
    rig.clock.advance(999);
    EXPECT_EQ(bar()->value(), 0);
    rig.clock.advance(1);
    EXPECT_EQ(bar()->value(), 1);
}

TEST_F(StatusWindowTest, IsModelessAndCentred) {
    showFor(RequestKinds::WatchSensorSlot);
    EXPECT_FALSE(rig.status.isModal());
    EXPECT_EQ(rig.status.windowModality(), Qt::NonModal);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(rig.status.frameGeometry().center().x(), screen.center().x(), 20);
}
