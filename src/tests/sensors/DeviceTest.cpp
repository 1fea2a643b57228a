#include "Session.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Identification : ::testing::TestWithParam<std::pair<uint16_t, const char*>> {};

TEST_P(Identification, ModuleTypeGivesTheVariant) {
    Session s;
    s.gateway.registers[0x141] = GetParam().first;
    s.device.startIdentification();
    s.clock.advance(150);
    EXPECT_EQ(s.device.deviceTypeText(), GetParam().second);
    const bool qtx = QString(GetParam().second) == "QTX40";
    EXPECT_EQ(s.device.deviceLabelText(), qtx ? "QTX-RS485 Modbus" : "QRX-RS485 Modbus");
    EXPECT_EQ(s.senderTab, qtx);
    EXPECT_EQ(s.senders.controlsEnabled, qtx);
    EXPECT_EQ(s.takeRequests(), QStringList({"010301410001", "010301400001"}));
}

INSTANTIATE_TEST_SUITE_P(Types, Identification,
                         ::testing::Values(std::pair<uint16_t, const char*>{0x0041, "QTX40"},
                                           std::pair<uint16_t, const char*>{0x0040, "QRX40"},
                                           std::pair<uint16_t, const char*>{0x0141, "QRX40"},
                                           std::pair<uint16_t, const char*>{0x4100, "QRX40"}));

TEST(IdentificationTimeOut, SilentGatewayIsTakenForTheReceiverAndTheChainGoesOn) {
    Session s;
    s.gateway.silent = true;
    s.device.setDeviceTypeText("QTX40");
    s.device.startIdentification();
    s.clock.advance(1000);
    EXPECT_EQ(s.device.deviceTypeText(), "QRX40");
    EXPECT_EQ(s.settings.RequestKind, RequestKinds::ReadResponseTime);
    // a late answer to the identification must not be taken for the response time: the next
    // request waits until the line has been quiet for one time-out
    EXPECT_EQ(s.takeRequests(), QStringList({"010301410001"}));
    EXPECT_TRUE(s.link.holdingFrame());
    EXPECT_FALSE(s.t5->isEnabled()) << "the time-out runs from the write";
    s.clock.advance(1000);
    EXPECT_EQ(s.takeRequests(), QStringList({"010301400001"}));
    EXPECT_TRUE(s.t5->isEnabled());
    EXPECT_EQ(s.linkWindow.alarm, "");
    s.clock.advance(1000); // the response-time read times out too: now the alarm shows
    EXPECT_EQ(s.linkWindow.alarm, "Kommunikationsproblem!");
    EXPECT_TRUE(s.settings.LinkReady);
    EXPECT_EQ(s.connectedChecks, 0);
}

TEST(IdentificationAddress, EmptyOrInvalidAddressSendsNothing) {
    for (const char* address : {"", "256", "x"}) {
        Session s;
        s.main.address = address;
        s.device.startIdentification();
        s.clock.advance(3000);
        EXPECT_TRUE(s.takeRequests().isEmpty()) << address;
        EXPECT_FALSE(s.t5->isEnabled());
        EXPECT_EQ(s.device.deviceTypeText(), "");
    }
}

TEST(IdentificationAddress, OtherKindsSendNothing) {
    Session s;
    s.settings.RequestKind = RequestKinds::ReadSensorTable;
    s.device.ReadDeviceRegister();
    EXPECT_TRUE(s.port.written.isEmpty());
}

struct IntervalCase {
    bool rtu;
    const char* baud;
    bool onePiece;
    int timer1;
    int timer3;
};

struct ResponseIntervals : ::testing::TestWithParam<IntervalCase> {};

TEST_P(ResponseIntervals, TimersFollowTheResponseTime) {
    const IntervalCase& c = GetParam();
    Session s(c.rtu);
    s.settings.BaudText = c.baud;
    s.t1->setInterval(250);
    s.t3->setInterval(0);
    s.t1->setEnabled(true);
    s.response.responseTimeAnswer(Answer("010302012CXXXX", c.onePiece));
    EXPECT_EQ(s.response.valueField()->text(), "300");
    EXPECT_EQ(s.settings.ResponseTime, 300);
    EXPECT_EQ(s.t1->interval(), c.timer1);
    EXPECT_EQ(s.t3->interval(), c.timer3);
    EXPECT_TRUE(s.t3->isEnabled());
    EXPECT_EQ(s.t1->isEnabled(), !c.rtu);
    EXPECT_EQ(s.connectedChecks, 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, ResponseIntervals,
                         ::testing::Values(IntervalCase{true, "9600", true, 400, 400},
                                           IntervalCase{true, "115200", true, 400, 400},
                                           IntervalCase{false, "9600", true, 700, 700},
                                           IntervalCase{false, "19200", true, 500, 500},
                                           // Timer1 keeps its interval; Timer3 had none
                                           IntervalCase{false, "38400", true, 250, 500},
                                           IntervalCase{false, "9600", false, 500, 500},
                                           IntervalCase{false, "38400", false, 500, 500}));

TEST(ResponseTime, WholeChainInRtuCompletesTheConnection) {
    Session s(true);
    s.gateway.registers[0x141] = 0x0041;
    s.gateway.registers[0x140] = 0x8000;
    s.settings.LearnRow = 7;
    s.device.startIdentification();
    s.clock.advance(200);
    EXPECT_EQ(s.device.deviceTypeText(), "QTX40");
    EXPECT_EQ(s.response.valueField()->text(), "32768"); // unsigned, never negative
    EXPECT_EQ(s.t1->interval(), 32868);
    EXPECT_EQ(s.connectedChecks, 1);
    EXPECT_EQ(s.settings.LearnRow, 7); // only the ASCII answer resets it
    EXPECT_TRUE(s.t3->isEnabled());
}

TEST(ResponseTime, SetWritesTheRegister) {
    Session s;
    s.response.valueField()->setText("300");
    s.response.setButton()->click();
    EXPECT_EQ(s.settings.RequestKind, RequestKinds::SetResponseTime);
    EXPECT_EQ(s.takeRequests(), QStringList({"01100140000102012C"}));
    EXPECT_EQ(s.t1->interval(), 700);
    EXPECT_EQ(s.t3->interval(), 700);
    s.clock.advance(150);
    EXPECT_EQ(s.gateway.registers[0x140], 300);
}

TEST(ResponseTime, SetByProgramWithAnOversizedValueSendsTheLargestRegisterValue) {
    Session s(true);
    s.response.valueField()->setText("99999");
    s.response.bt_set_response_Click();
    EXPECT_EQ(s.response.valueField()->text(), "65535");
    EXPECT_EQ(s.takeRequests(), QStringList({"01100140000102FFFF"}));
    EXPECT_EQ(s.t1->interval(), 65735);
    EXPECT_EQ(s.t3->interval(), 0); // RTU keeps Timer3
}

TEST(ResponseTime, SetWithoutAddressOnlyTakesTheIntervals) {
    Session s;
    s.main.address = "";
    s.settings.BaudText = "19200";
    s.response.valueField()->setText("100");
    s.response.bt_set_response_Click();
    EXPECT_TRUE(s.port.written.isEmpty());
    EXPECT_EQ(s.t1->interval(), 300);
    EXPECT_EQ(s.settings.RequestKind, RequestKinds::None);
}

TEST(ResponseTime, LeavingTheFieldCorrectsIt) {
    Session s;
    QLineEdit* field = s.response.valueField();
    for (auto [typed, kept] : {std::pair{"", "10"}, std::pair{"3", "5"},
                               std::pair{"70000", "65535"}, std::pair{"250", "250"}}) {
        field->setText(typed);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(field, &out);
        EXPECT_EQ(field->text(), kept) << typed;
    }
}

TEST(ResponseTime, OnlyDigitsCanBeTyped) {
    Session s;
    QLineEdit* field = s.response.valueField();
    field->clear();
    QTest::keyClicks(field, "1a-2.3,");
    EXPECT_EQ(field->text(), "123");
}

TEST(ResponseTime, InputsAndEnglishTexts) {
    Session s;
    s.response.setInputsEnabled(false);
    EXPECT_FALSE(s.response.valueField()->isEnabled());
    EXPECT_FALSE(s.response.setButton()->isEnabled());
    EXPECT_EQ(s.response.objectName(), "frm_response");
    EXPECT_EQ(s.response.setButton()->text(), "Setzen");
    s.response.applyEnglish();
    EXPECT_EQ(s.response.title(), "Configuration minimal response time");
    EXPECT_EQ(s.response.setButton()->text(), "Set");
}
} // namespace
