// Whole sessions of the tool's main window against the in-process simulated gateway, under the
// manual clock: open, identify, read the response time, shade the rows, one full pass, idle.

#include "support/WindowSession.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
struct SessionParam {
    const char* mode;
    GatewayVariant variant;
};

class GatewaySession : public ::testing::TestWithParam<SessionParam>, public WindowSession {
protected:
    GatewaySession()
        : WindowSession(demoSensors(GetParam().variant)) {}
    static std::unique_ptr<GatewayModel> demoSensors(GatewayVariant variant) {
        auto m = std::make_unique<GatewayModel>(1, variant, 5);
        m->learnSensor(0, 0x05, 0x0012A3F1);
        m->learnSensor(3, 0x07, 0x01800A22);
        m->learnSensor(31, 0x06, 0xFFEE0001);
        return m;
    }
    void connect() { WindowSession::connect(GetParam().mode); }
};
} // namespace

TEST_P(GatewaySession, OpenIdentifyShadeAndOnePassShowExactlyTheGatewaysSensors) {
    connect();
    clock.advance(20000);
    const bool transceiver = GetParam().variant == GatewayVariant::Transceiver;
    EXPECT_EQ(find<QLineEdit>("txt_devType")->text(), transceiver ? "QTX40" : "QRX40");
    EXPECT_TRUE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_EQ(find<QLineEdit>("txt_min_response")->text(),
              QString::number(model->responseTimeMs()));
    EXPECT_EQ(find<QTabWidget>("SSTab1")->isTabEnabled(1), transceiver);
    for (int row = 0; row < kSensorRows; ++row) {
        const uint16_t reg0 = model->reg(10 * row);
        EXPECT_EQ(org(row), hex2(reg0)) << row;
        const uint32_t sensorId =
            (uint32_t(model->reg(10 * row + 1)) << 16) | model->reg(10 * row + 2);
        EXPECT_EQ(id(row), hex8(sensorId)) << row;
    }
    EXPECT_EQ(org(3), "07");
    EXPECT_EQ(id(31), "FFEE0001");
    // the pass has ended: idle, nothing outstanding
    EXPECT_EQ(s.RequestKind, RequestKinds::None);
    EXPECT_FALSE(w->timers().Timer1.isEnabled());
    EXPECT_FALSE(s.FirstReadPending);
    EXPECT_EQ(find<QLabel>("lbl_Alarm")->text(), "");
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(GatewaySession, ASilentLineGivesTheReceiverFallbackAndTheAlarm) {
    find<QLineEdit>("txt_Modbus_adress")->setText("7"); // nobody answers at 7
    pick(5, GetParam().mode);
    pick(6, "open");
    clock.advance(5000);
    EXPECT_EQ(find<QLineEdit>("txt_devType")->text(), "QRX40");
    EXPECT_FALSE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_FALSE(find<QLabel>("lbl_Alarm")->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ModesAndVariants, GatewaySession,
                         ::testing::Values(SessionParam{"ASCII", GatewayVariant::Transceiver},
                                           SessionParam{"RTU", GatewayVariant::Transceiver},
                                           SessionParam{"ASCII", GatewayVariant::Receiver},
                                           SessionParam{"RTU", GatewayVariant::Receiver}));

// In ASCII at a baud rate other than 9600 and 19200 the response-time answer leaves the timer
// intervals as they are; the inversion flag read must still come, and with it the first pass.
TEST(GatewaySessionBaud, AsciiAtEveryBaudRateReadsTheTableAfterConnecting) {
    for (const char* baud : {"1200", "4800", "9600", "19200", "38400", "115200"}) {
        SCOPED_TRACE(baud);
        auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Receiver, 5);
        m->learnSensor(4, 0x06, 0x00ABCDEF);
        WindowSession session(std::move(m));
        session.pick(1, baud);
        session.connect("ASCII");
        session.clock.advance(60000);
        EXPECT_FALSE(session.s.FirstReadPending) << "the first pass ended";
        EXPECT_EQ(session.id(4), "00ABCDEF");
        EXPECT_TRUE(session.text("lbl_Alarm").isEmpty());
    }
}

// With "Read register:" ticked the table keeps following the gateway: the time value of a
// sending sensor (its telegram counter) grows pass after pass and matches the gateway's.
TEST_P(GatewaySession, ContinuousReadingFollowsTheGatewaysTelegrams) {
    connect();
    clock.advance(20000);
    find<QCheckBox>("chk_read")->click();
    std::vector<int> seen;
    for (int pass = 0; pass < 4; ++pass) {
        clock.advance(15000);
        seen.push_back(text("txt_time_3").toInt());
    }
    EXPECT_GT(seen.back(), seen.front()) << "the table updates";
    // stop reading and let the last request be answered: the row equals the gateway's slot
    find<QCheckBox>("chk_read")->click();
    clock.advance(2000);
    EXPECT_LE(seen.back(), int(model->reg(37)));
    EXPECT_GT(int(model->reg(37)), 0);
}

// Every pass fills every row; a field that shows the text already keeps it, and its selection.
TEST_P(GatewaySession, AnUnchangedAnswerSetsNoText) {
    connect();
    clock.advance(20000);
    const QStringList fields{"txt_data_1_9", "txt_time_9", "txt_sender_id_2", "txt_snd_data_1_2",
                             "txt_snd_status_2"};
    for (const QString& name : fields)
        find<QLineEdit>(name)->selectAll();
    // the receive box holds each RTU answer only while it is handled: the box never shows it
    QSignalSpy receiveBox(find<QLineEdit>("txt_empfang"), &QLineEdit::textChanged);
    find<QCheckBox>("chk_read")->click();
    for (int i = 0; i < 150; ++i) {
        clock.advance(100);
        QCoreApplication::sendPostedEvents();
        emit QAbstractEventDispatcher::instance()->awake(); // the loop turns
    }
    for (const QString& name : fields)
        EXPECT_TRUE(find<QLineEdit>(name)->hasSelectedText()) << name.toStdString();
    EXPECT_EQ(receiveBox.count(), 0);
    EXPECT_TRUE(find<QLineEdit>("txt_empfang")->text().isEmpty());
}

// A client of the link takes the line in the middle of continuous reading: the window asks
// nothing while it holds it, the client's exchange is answered, and once the line is given back
// the response time and one pass show what the client changed.
TEST_P(GatewaySession, AClientHoldingTheLineSilencesTheWindowUntilItGivesItBack) {
    connect();
    clock.advance(20000);
    find<QCheckBox>("chk_read")->click();
    clock.advance(3000);
    Link& link = w->link();
    ASSERT_TRUE(link.claimLine());
    EXPECT_FALSE(find<QCheckBox>("chk_read")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_FALSE(find<QPushButton>("bt_learn_3")->isEnabled());
    clock.advance(3000); // what the window asked last is answered or drained by now
    const size_t before = port->requestLog().size();
    std::optional<ExchangeResult> wrote;
    // write ORG 06 and ID 00ABCDEF into row 5
    link.exchange(QByteArray::fromHex("01100032000306000600ABCDEF"), {500, 1},
                  [&](const ExchangeResult& r) { wrote = r; });
    clock.advance(5000);
    ASSERT_TRUE(wrote && wrote->ok());
    EXPECT_EQ(port->requestLog().size(), before + 1) << "the client's request alone";
    EXPECT_EQ(org(5), "00");
    model->setResponseTimeMs(35); // as a restore of another gateway's configuration may do
    link.releaseLine();
    clock.advance(30000);
    EXPECT_EQ(text("txt_min_response"), "35");
    EXPECT_EQ(org(5), "06");
    EXPECT_EQ(id(5), "00ABCDEF");
    EXPECT_TRUE(find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_TRUE(find<QPushButton>("bt_delete_5")->isEnabled());
}
