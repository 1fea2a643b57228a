#include "Session.h"
#include "sensors/TableReadCycle.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
std::array<uint16_t, 10> sensorSlot(uint8_t org, uint32_t id, std::array<uint8_t, 4> data,
                                    uint16_t time) {
    return {
        org, uint16_t(id >> 16), uint16_t(id & 0xFFFF), data[3], data[2], data[1], data[0], time, 0,
        0};
}

struct TableRead : ::testing::Test {
    TableRead() { s.settings.ResponseTime = 100; }
    Session s;
    ProgramSettings& st = s.settings;

    // One block a Timer1 interval: the answer is back long before the next tick.
    void runBlocks(int n) { s.clock.advance(int64_t{n} * s.t1->interval() + 10); }
};

std::vector<int> walk(std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<int> out;
    for (auto [from, to] : ranges)
        for (int r = from; r <= to; r += 10)
            out.push_back(r);
    return out;
}

TEST_F(TableRead, ReceiverPassEndsAfterRegister310) {
    s.table.setReadChecked(true);
    runBlocks(33);
    const auto starts = Session::blockStarts(s.takeRequests());
    ASSERT_GE(starts.size(), 33u);
    EXPECT_EQ(std::vector<int>(starts.begin(), starts.begin() + 33), walk({{0, 310}, {0, 0}}));
    EXPECT_FALSE(st.FirstReadPending);
    EXPECT_GE(s.connectedChecks, 32);
}

TEST_F(TableRead, TransceiverContinuesAt400AndEndsAfter470) {
    s.device.setDeviceTypeText("QTX40");
    s.table.setReadChecked(true);
    runBlocks(41);
    const auto starts = Session::blockStarts(s.takeRequests());
    ASSERT_GE(starts.size(), 41u);
    EXPECT_EQ(std::vector<int>(starts.begin(), starts.begin() + 41),
              walk({{0, 310}, {400, 470}, {0, 0}}));
    EXPECT_EQ(std::vector<int>(s.senders.decoded.begin(), s.senders.decoded.begin() + 8),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(TableRead, SlotTwoShowsItsSensor) {
    s.gateway.setSlot(20, {0x0005, 0x0012, 0x3456, 0x0011, 0x0022, 0x0033, 0x0044, 0x1234, 0, 0});
    s.gateway.setSlot(30, sensorSlot(0x07, 0x0180ABCD, {1, 2, 3, 4}, 0x8000));
    s.gateway.setSlot(40, sensorSlot(0x06, 0xFFFFFFFF, {0, 0, 0, 0}, 0xFFFF));
    s.table.setReadChecked(true);
    runBlocks(6);
    EXPECT_EQ(s.table.orgCaption(2), "05");
    EXPECT_EQ(s.table.idCaption(2), "00123456");
    const char* data[] = {"68", "51", "34", "17"};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(s.table.dataField(2, k)->text(), data[k]) << k;
    EXPECT_EQ(s.table.timeField(2)->text(), "4660");
    EXPECT_EQ(s.table.idCaption(3), "0180ABCD");
    EXPECT_EQ(s.table.timeField(3)->text(), "32768");
    EXPECT_EQ(s.table.timeField(4)->text(), "65535");
    EXPECT_EQ(s.table.orgCaption(1), "00");
}

TEST_F(TableRead, RangeThatIsNotANumberRequestsTheSameBlockAgain) {
    s.scale.minField(3)->setText("-");
    s.table.setReadChecked(true);
    runBlocks(4);
    EXPECT_EQ(Session::blockStarts(s.takeRequests()), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(st.RegisterCounter, 0);
    s.scale.minField(3)->setText("0");
    runBlocks(2);
    EXPECT_EQ(Session::blockStarts(s.takeRequests()), (std::vector<int>{0, 10}));
}

TEST_F(TableRead, SwitchingOnTakesTheControlsAndSetsTheTimeOut) {
    st.ResponseTime = 30000; // 3 x 30000 + 250 does not fit 16 bits
    s.table.setReadChecked(true);
    EXPECT_EQ(s.t5->interval(), 90250);
    EXPECT_TRUE(s.t1->isEnabled());
    EXPECT_EQ(st.RequestKind, RequestKinds::ReadSensorTable);
    EXPECT_EQ(s.responseInputs, false);
    EXPECT_EQ(s.senders.controlsEnabled, false);
    EXPECT_TRUE(s.messages.shown.isEmpty());
    s.table.setReadChecked(false);
    EXPECT_FALSE(s.t1->isEnabled());
    EXPECT_FALSE(s.t5->isEnabled());
    EXPECT_EQ(s.responseInputs, true);
    EXPECT_EQ(s.senders.controlsEnabled, true);
    EXPECT_TRUE(s.table.learnButton(0)->isEnabled());
    EXPECT_FALSE(s.table.deleteButton(0)->isEnabled()); // ORG "00"
}

TEST_F(TableRead, SwitchingOnWithoutAValidAddressSaysSo) {
    for (const char* address : {"", "256"}) {
        s.main.address = address;
        s.table.setReadChecked(true);
        s.table.setReadChecked(false);
    }
    EXPECT_EQ(s.messages.shown,
              QStringList({"Wrong Modbus address - 0...255", "Wrong Modbus address - 0...255"}));
    s.table.setReadChecked(true);
    runBlocks(3);
    EXPECT_TRUE(s.takeRequests().isEmpty());
}

TEST_F(TableRead, DeleteButtonsFollowInSinglePassButNotInContinuousRead) {
    s.gateway.setSlot(50, sensorSlot(0x05, 0x11223344, {0, 0, 0, 0}, 1));
    s.table.setReadChecked(true);
    runBlocks(8);
    EXPECT_EQ(s.table.orgCaption(5), "05");
    EXPECT_FALSE(s.table.deleteButton(5)->isEnabled());

    Session single;
    single.gateway.setSlot(50, sensorSlot(0x05, 0x11223344, {0, 0, 0, 0}, 1));
    single.t3->setInterval(400);
    single.t3->setEnabled(true);
    single.clock.advance(400 + 100 + 33 * 250);
    EXPECT_TRUE(single.table.deleteButton(5)->isEnabled());
    EXPECT_FALSE(single.table.deleteButton(4)->isEnabled());
    // the single pass ends the read: no kind, no pacing
    EXPECT_EQ(single.settings.RequestKind, RequestKinds::None);
    EXPECT_FALSE(single.t1->isEnabled());
    EXPECT_FALSE(single.settings.SingleRead);
    EXPECT_EQ(single.main.shown, 1);
}

TEST_F(TableRead, CoilAnswerShadesRowsAndStartsASinglePass) {
    const uint8_t data[] = {0x01, 0x80, 0x00, 0xFF};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 8; ++k)
            s.gateway.coils[0x20 + 8 * j + k] = (data[j] >> k) & 1;
    s.t3->setInterval(400);
    s.t3->setEnabled(true);
    s.main.statusWindowFails = true; // the pass runs all the same
    s.clock.advance(510);
    EXPECT_EQ(s.takeRequests().value(0), "010100200020");
    for (int n = 0; n < kSensorRows; ++n) {
        const bool grey = n == 0 || n == 15 || n >= 24;
        EXPECT_EQ(s.table.dataField(n, 1)->palette().color(QPalette::Base),
                  grey ? QColor(0xE0, 0xE0, 0xE0) : QColor(0xFF, 0xFF, 0xFF))
            << n;
    }
    EXPECT_FALSE(s.t3->isEnabled());
    EXPECT_TRUE(st.SingleRead);
    EXPECT_EQ(st.RequestKind, RequestKinds::ReadSensorTable);
    EXPECT_EQ(s.main.shown, 1);
    runBlocks(2);
    EXPECT_EQ(Session::blockStarts(s.takeRequests()), (std::vector<int>{0, 10}));
}

TEST_F(TableRead, CoilReadWithoutAddressRepeatsItsMessage) {
    s.main.address = "";
    s.table.setReadChecked(true);
    s.messages.shown.clear();
    s.t3->setInterval(400);
    s.t3->setEnabled(true);
    s.clock.advance(1250);
    EXPECT_EQ(s.messages.shown.size(), 3);
    EXPECT_EQ(s.messages.shown.value(0), "No Modbus address choosen");
    EXPECT_TRUE(s.t3->isEnabled());
    EXPECT_FALSE(s.table.readChecked()); // the continuous read stopped
    EXPECT_TRUE(s.takeRequests().isEmpty());
}

TEST_F(TableRead, SlotWatchWaitsForAChangeThenStops) {
    const Answer learned("010314"
                         "0005"
                         "00AB"
                         "CDEF"
                         "0000"
                         "0000"
                         "0000"
                         "0000"
                         "0001"
                         "0000"
                         "0000"
                         "XX");
    s.table.decodeRow(2, learned, true);
    s.gateway.setSlot(20, sensorSlot(0x05, 0x00ABCDEF, {0, 0, 0, 0}, 1));
    s.table.setDeleteEnabled(2, true);
    st.RegisterCounter = 20;
    s.t2->setEnabled(true);
    s.clock.advance(610);
    EXPECT_EQ(s.takeRequests(), QStringList({"01030014000A", "01030014000A"}));
    EXPECT_TRUE(s.t2->isEnabled());
    EXPECT_EQ(s.main.closed, 0);

    s.gateway.setSlot(20, sensorSlot(0x00, 0, {0, 0, 0, 0}, 0));
    s.clock.advance(300);
    EXPECT_EQ(s.table.orgCaption(2), "00");
    EXPECT_EQ(s.table.idCaption(2), "00000000");
    EXPECT_FALSE(s.t2->isEnabled());
    EXPECT_EQ(s.main.closed, 1);
    EXPECT_FALSE(s.table.deleteButton(2)->isEnabled());
    EXPECT_EQ(st.RequestKind, RequestKinds::WatchSensorSlot);
}

TEST_F(TableRead, SilentGatewaySendsOneRequestPerTimeOutAndShowsTheAlarm) {
    s.gateway.silent = true;
    s.table.setReadChecked(true);
    const int timeOut = s.t5->interval();
    ASSERT_EQ(timeOut, 3 * 100 + 250);
    s.clock.advance(10 * timeOut);
    const auto starts = Session::blockStarts(s.takeRequests());
    EXPECT_GE(starts.size(), 5u);
    EXPECT_LE(starts.size(), 11u);
    for (int start : starts)
        EXPECT_EQ(start, 0);
    EXPECT_EQ(s.linkWindow.alarm, "Kommunikationsproblem!");

    s.gateway.silent = false;
    s.clock.advance(2 * timeOut);
    EXPECT_EQ(s.linkWindow.alarm, "");
    EXPECT_GT(st.RegisterCounter, 0); // the read goes on where it stopped
}

TEST_F(TableRead, PanelNamesCaptionsAndEnglishTexts) {
    EXPECT_EQ(s.table.readBox()->objectName(), "chk_read");
    EXPECT_EQ(s.table.caption(16)->text(), "Register auslesen:");
    EXPECT_EQ(s.table.caption(17)->text(), "1-10");
    EXPECT_EQ(s.table.caption(48)->text(), "311-320");
    EXPECT_EQ(s.table.caption(50)->text(), "Datenbyte 1 ist nicht invertiert");
    EXPECT_EQ(s.table.learnButton(31)->objectName(), "bt_learn_31");
    EXPECT_EQ(s.table.learnButton(3)->toolTip(), "learn-in sensor-ID ");
    EXPECT_FALSE(s.table.learnButton(3)->isEnabled());
    EXPECT_FALSE(s.table.deleteButton(3)->isEnabled());
    EXPECT_TRUE(s.table.dataField(0, 0)->isReadOnly());
    s.table.applyEnglish();
    EXPECT_EQ(s.table.caption(16)->text(), "Read register:");
    EXPECT_EQ(s.table.caption(49)->text(), "Data-Byte 1 is inverted");
    EXPECT_EQ(s.table.deleteButton(0)->toolTip(), "Delete Sensor");
    EXPECT_EQ(s.table.learnButton(0)->toolTip(), "Set Sensor");
    int learned = -1, deleted = -1;
    s.table.setRowButtonHandlers([&](int r) { learned = r; }, [&](int r) { deleted = r; });
    s.table.learnButton(7)->setEnabled(true);
    s.table.learnButton(7)->click();
    s.table.deleteButton(20)->setEnabled(true);
    s.table.deleteButton(20)->click();
    EXPECT_EQ(learned, 7);
    EXPECT_EQ(deleted, 20);
}
} // namespace
