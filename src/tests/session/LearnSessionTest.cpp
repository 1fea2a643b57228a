// Learning sensors in, switching the inversion of data byte 1 and deleting sensors, through the
// whole main window against the in-process gateway under the manual clock, in ASCII and RTU.
// "Nothing sent" means: the answer time-out was not started (every send starts it) and the
// gateway's objects are as before.

#include "learn/StatusWindow.h"
#include "support/WindowSession.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int kEmptyRow = 4;
constexpr int kLearnedRow = 3;  // ORG 07, ID 01800A22, not inverted
constexpr int kInvertedRow = 9; // ORG 05, ID 0021C488, data byte 1 inverted
constexpr int kLastRow = 31;    // ORG 06, ID FFEE0001, not inverted; coils 0x1F and 0x3F
constexpr int kLearnDelayMs = 2000;
const QColor kGrey(224, 224, 224);
const QColor kWhite(255, 255, 255);

class LearnSession : public ::testing::TestWithParam<const char*>, public WindowSession {
protected:
    LearnSession()
        : WindowSession(gateway()) {}
    static std::unique_ptr<GatewayModel> gateway() {
        auto m = std::make_unique<GatewayModel>(1, GatewayVariant::Receiver, 11);
        m->learnSensor(kLearnedRow, 0x07, 0x01800A22);
        m->learnSensor(kInvertedRow, 0x05, 0x0021C488);
        m->learnSensor(kLastRow, 0x06, 0xFFEE0001);
        // write single coil 0x0020 + 9 on: the gateway inverts data byte 1 of row 9
        m->handle(QByteArray::fromHex("01050029FF00"));
        m->setLearnDelayMs(kLearnDelayMs);
        return m;
    }
    void SetUp() override {
        connect(GetParam());
        // identification, response time, flags, one pass; the status window of the pass closes
        // after its period, 1.5 x 32 x the Timer1 pace (20.2 s in ASCII)
        clock.advance(30000);
        ASSERT_FALSE(s.FirstReadPending);
        ASSERT_FALSE(w->timers().Timer5.isEnabled());
        ASSERT_EQ(openWindow("frmState"), nullptr);
        ASSERT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
    }

    QPushButton* rowButton(const char* name, int row) const {
        return find<QPushButton>(QString("%1_%2").arg(name).arg(row));
    }
    template <class T> T* settingsControl(const QString& name) const {
        return inOpenWindow<T>("LernmodusFenster", name);
    }
    void clickInSettings(const QString& name) {
        auto* b = settingsControl<QAbstractButton>(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        b->click();
    }
    // The row's learn button; the answer to the inversion flag read comes in.
    void openSettings(int row) {
        rowButton("bt_learn", row)->click();
        ASSERT_NE(openWindow("LernmodusFenster"), nullptr);
        clock.advance(500);
    }
    void learnManually(int row, int orgOption, const QString& typed) {
        openSettings(row);
        clickInSettings("Manuell_1");
        QTest::keyClicks(settingsControl<QLineEdit>("txtSensorIDeingabe"), typed);
        clickInSettings(QString("ManuellIDOption_%1").arg(orgOption));
        clickInSettings("bt_learn_sensor");
    }
    uint32_t gatewayId(int row) const {
        return (uint32_t(model->reg(10 * row + 1)) << 16) | model->reg(10 * row + 2);
    }
    QString gatewayOrg(int row) const { return hex2(model->reg(10 * row)); }
    bool requestStarted() const { return w->timers().Timer5.isEnabled(); }
    QColor shade(int row) const {
        return find<QLineEdit>(QString("txt_data_2_%1").arg(row))->palette().color(QPalette::Base);
    }
    QWidget* statusWindow() const { return openWindow("frmState"); }
    // the status window has no owner: its controls are not the main window's children
    template <class T> T* inStatusWindow(const QString& name) const {
        return w->statusWindow().findChild<T*>(name);
    }
    QString statusText() const { return inStatusWindow<QLabel>("lblTxt")->text(); }

    // Learn by button up to the status window; the gateway is in learn mode for the row.
    void startLearnByButton(int row = kEmptyRow) {
        openSettings(row);
        clickInSettings("bt_learn_sensor");
        EXPECT_EQ(openWindow("LernmodusFenster"), nullptr);
        clock.advance(300);
        ASSERT_NE(statusWindow(), nullptr);
        EXPECT_EQ(statusText(), "Lerntaste drücken ...");
        EXPECT_TRUE(model->coil(row));
        EXPECT_TRUE(w->timers().Timer2.isEnabled());
    }
    // The gateway's learn delay passes: the row shows the sensor the gateway has learned.
    void expectLearnedIn(int row, const QString& orgBefore, const QString& idBefore) {
        clock.advance(kLearnDelayMs / 2); // the learn button is not pressed yet
        EXPECT_EQ(org(row), orgBefore);
        EXPECT_EQ(id(row), idBefore);
        EXPECT_NE(statusWindow(), nullptr);
        clock.advance(kLearnDelayMs);
        ASSERT_NE(model->reg(10 * row) & 0xFF, 0) << "the gateway has learned a sensor";
        EXPECT_NE(hex8(gatewayId(row)), idBefore);
        EXPECT_EQ(org(row), gatewayOrg(row));
        EXPECT_EQ(id(row), hex8(gatewayId(row)));
        EXPECT_EQ(statusWindow(), nullptr);
        EXPECT_EQ(statusText(), "Sensor ID eingelernt!");
        EXPECT_FALSE(w->timers().Timer2.isEnabled());
        EXPECT_TRUE(rowButton("bt_delete", row)->isEnabled());
        EXPECT_FALSE(model->coil(row)) << "the gateway ends learn mode with the learn-in";
    }
};
} // namespace

TEST_P(LearnSession, TheLearnButtonFillsTheRowWithTheGatewaysNewSensor) {
    openSettings(kEmptyRow);
    EXPECT_TRUE(settingsControl<QRadioButton>("Manuell_0")->isChecked());
    EXPECT_TRUE(settingsControl<QRadioButton>("ManuellIDOption_0")->isChecked());
    EXPECT_FALSE(settingsControl<QCheckBox>("chk_invert")->isChecked());
    EXPECT_FALSE(settingsControl<QLineEdit>("txtSensorIDeingabe")->isEnabled());
    clickInSettings("bt_cancel");
    // the first row, an empty one, and the last row, learned anew over its sensor
    for (const int row : {0, kEmptyRow, kLastRow}) {
        SCOPED_TRACE(row);
        const QString orgBefore = org(row), idBefore = id(row);
        startLearnByButton(row);
        expectLearnedIn(row, orgBefore, idBefore);
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(LearnSession, CancelInTheStatusWindowSwitchesLearnModeOffInTheGateway) {
    startLearnByButton();
    inStatusWindow<QPushButton>("Abbruch")->click();
    EXPECT_EQ(statusWindow(), nullptr);
    EXPECT_FALSE(w->timers().Timer2.isEnabled());
    clock.advance(300);
    EXPECT_FALSE(model->coil(kEmptyRow));
    clock.advance(2 * kLearnDelayMs);
    EXPECT_EQ(model->reg(10 * kEmptyRow), 0) << "a cancelled learn-in learns nothing";
    EXPECT_EQ(org(kEmptyRow), "00");
    EXPECT_EQ(id(kEmptyRow), "00000000");
    EXPECT_FALSE(rowButton("bt_delete", kEmptyRow)->isEnabled());

    // the next learn-in of the row starts from a freshly loaded status window
    startLearnByButton();
    expectLearnedIn(kEmptyRow, "00", "00000000");
}

TEST_P(LearnSession, TheStatusWindowsCloseBoxStopsTheWatchButLeavesLearnModeOn) {
    startLearnByButton();
    statusWindow()->close();
    EXPECT_EQ(statusWindow(), nullptr);
    EXPECT_FALSE(w->timers().Timer2.isEnabled());
    clock.advance(300);
    EXPECT_TRUE(model->coil(kEmptyRow)) << "no cancel request went out";
    clock.advance(2 * kLearnDelayMs);
    port->InBufferCount(); // the simulated gateway's time catches up with the clock
    EXPECT_NE(model->reg(10 * kEmptyRow) & 0xFF, 0) << "the gateway learned on its own";
    EXPECT_EQ(org(kEmptyRow), "00") << "nobody watches the row any more";
    EXPECT_FALSE(w->timers().Timer2.isEnabled());
}

TEST_P(LearnSession, AbbrechenInTheSettingsWindowSendsNothing) {
    openSettings(kEmptyRow);
    clickInSettings("bt_cancel");
    EXPECT_EQ(openWindow("LernmodusFenster"), nullptr);
    EXPECT_FALSE(requestStarted());
    clock.advance(2 * kLearnDelayMs);
    EXPECT_FALSE(model->coil(kEmptyRow));
    EXPECT_EQ(model->reg(10 * kEmptyRow), 0);
    EXPECT_EQ(statusWindow(), nullptr);
}

struct ManualCase {
    int row;
    int orgOption;
    const char* typed;
    uint16_t orgRegister;
    uint32_t id;
};

TEST_P(LearnSession, ManualLearnInWritesTheTypedIdAndOrgIntoTheGateway) {
    const ManualCase cases[] = {
        {kEmptyRow, 2, "a1b2c3d4", 0x0007, 0xA1B2C3D4},  // typed in lower case
        {26, 0, "00001578", 0x0005, 0x00001578},         // register 260
        {kLastRow, 2, "FFEE0002", 0x0007, 0xFFEE0002},   // the last row, register 310
        {kLearnedRow, 1, "0012ab00", 0x0006, 0x0012AB00} // over a learned sensor
    };
    for (const ManualCase& c : cases) {
        SCOPED_TRACE(c.typed);
        learnManually(c.row, c.orgOption, c.typed);
        EXPECT_EQ(openWindow("LernmodusFenster"), nullptr);
        clock.advance(1000); // the write, then the slot watch every 300 ms
        EXPECT_EQ(model->reg(10 * c.row), c.orgRegister);
        EXPECT_EQ(gatewayId(c.row), c.id);
        EXPECT_EQ(org(c.row), hex2(c.orgRegister));
        EXPECT_EQ(id(c.row), hex8(c.id));
        EXPECT_FALSE(w->timers().Timer2.isEnabled()) << "the watch saw the new entry";
        EXPECT_TRUE(rowButton("bt_delete", c.row)->isEnabled());
        EXPECT_EQ(statusWindow(), nullptr) << "no status window for a manual learn-in";
        EXPECT_FALSE(model->coil(c.row)) << "no learn mode";
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(LearnSession, WritingWhatTheRowShowsKeepsTheWatchGoing) {
    learnManually(kLastRow, 1, "ffee0001"); // ORG 06 and the ID the row holds
    clock.advance(3000);
    EXPECT_EQ(id(kLastRow), "FFEE0001");
    EXPECT_TRUE(w->timers().Timer2.isEnabled()) << "no change seen, the watch goes on";
    EXPECT_EQ(s.RequestKind, RequestKinds::WatchSensorSlot);
}

TEST_P(LearnSession, AnIdOfTheWrongLengthGivesTheMessageAndSendsNothing) {
    for (const char* typed : {"", "1234567", "0001578"}) {
        SCOPED_TRACE(typed);
        messages.shown.clear();
        learnManually(kEmptyRow, 2, typed);
        EXPECT_EQ(messages.shown, QStringList{"Length ID-Byte is wrong; e.g.: 00001578"});
        EXPECT_NE(openWindow("LernmodusFenster"), nullptr) << "left open for correction";
        EXPECT_FALSE(requestStarted());
        clock.advance(1000);
        EXPECT_EQ(model->reg(10 * kEmptyRow), 0);
        EXPECT_EQ(gatewayId(kEmptyRow), 0u);
        EXPECT_FALSE(w->timers().Timer2.isEnabled());
        clickInSettings("bt_cancel");
    }
}

TEST_P(LearnSession, AnEmptyAddressSendsNothingWhicheverWayTheSensorIsLearned) {
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "by ID" : "by learn button");
        openSettings(kEmptyRow);
        find<QLineEdit>("txt_Modbus_adress")->clear();
        if (manual) {
            clickInSettings("Manuell_1");
            QTest::keyClicks(settingsControl<QLineEdit>("txtSensorIDeingabe"), "00001578");
        }
        clickInSettings("bt_learn_sensor");
        EXPECT_NE(openWindow("LernmodusFenster"), nullptr);
        EXPECT_FALSE(requestStarted());
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
        clock.advance(2 * kLearnDelayMs);
        EXPECT_FALSE(model->coil(kEmptyRow));
        EXPECT_EQ(model->reg(10 * kEmptyRow), 0);
        EXPECT_EQ(statusWindow(), nullptr);
        clickInSettings("bt_cancel");
        find<QLineEdit>("txt_Modbus_adress")->setText("1");
    }
}

TEST_P(LearnSession, TheLearnButtonWithoutAddressSaysSoAndOpensTheWindowAnyway) {
    find<QLineEdit>("txt_Modbus_adress")->clear();
    rowButton("bt_learn", kInvertedRow)->click();
    EXPECT_EQ(messages.shown, QStringList{"No Modbus address choosen"});
    EXPECT_NE(openWindow("LernmodusFenster"), nullptr);
    EXPECT_FALSE(requestStarted()) << "no flag read without an address";
    clock.advance(500);
    EXPECT_FALSE(settingsControl<QCheckBox>("chk_invert")->isChecked());
}

TEST_P(LearnSession, TheBulkReadShadesTheInvertedRowsAfterConnecting) {
    EXPECT_EQ(shade(kInvertedRow), kGrey);
    EXPECT_EQ(shade(kLearnedRow), kWhite);
    EXPECT_EQ(shade(kEmptyRow), kWhite);
    EXPECT_EQ(shade(kLastRow), kWhite);
}

TEST_P(LearnSession, SetSwitchesTheGatewaysInversionAndTheBulkRefreshShadesTheRow) {
    for (const int row : {kInvertedRow, kLearnedRow, kLastRow}) {
        const bool wasInverted = row == kInvertedRow;
        SCOPED_TRACE(row);
        openSettings(row);
        auto* box = settingsControl<QCheckBox>("chk_invert");
        EXPECT_EQ(box->isChecked(), wasInverted) << "the box shows the gateway's flag";
        box->click();
        clickInSettings("bt_set");
        EXPECT_EQ(openWindow("LernmodusFenster"), nullptr);
        clock.advance(100);
        EXPECT_EQ(model->coil(0x20 + row), !wasInverted);
        EXPECT_EQ(shade(row), wasInverted ? kGrey : kWhite) << "until the bulk refresh";
        EXPECT_TRUE(w->timers().Timer3.isEnabled());
        clock.advance(w->timers().Timer3.interval() + 1000);
        EXPECT_EQ(shade(row), wasInverted ? kWhite : kGrey);
        EXPECT_EQ(shade(kEmptyRow), kWhite);
        clock.advance(30000); // the single table read after the refresh ends
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(LearnSession, TickUntickTickUntickThenSetWritesNotInverted) {
    openSettings(kLearnedRow);
    auto* box = settingsControl<QCheckBox>("chk_invert");
    for (int i = 0; i < 3; ++i)
        box->click();
    EXPECT_TRUE(box->isChecked());
    box->click();
    clickInSettings("bt_set");
    clock.advance(w->timers().Timer3.interval() + 1000);
    EXPECT_FALSE(model->coil(0x20 + kLearnedRow));
    EXPECT_EQ(shade(kLearnedRow), kWhite);
    EXPECT_EQ(shade(kInvertedRow), kGrey) << "other rows keep their flags";
}

TEST_P(LearnSession, JaEmptiesTheGatewaysSlotAndTheRow) {
    for (const int row : {kLearnedRow, kLastRow}) { // registers 30 and 310
        SCOPED_TRACE(row);
        ASSERT_TRUE(rowButton("bt_delete", row)->isEnabled());
        rowButton("bt_delete", row)->click();
        auto* ja = inOpenWindow<QPushButton>("Abfrage", "Ja");
        ASSERT_NE(ja, nullptr);
        ja->click();
        EXPECT_EQ(openWindow("Abfrage"), nullptr);
        clock.advance(1000);
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(model->reg(10 * row + r), 0) << r;
        EXPECT_EQ(org(row), "00");
        EXPECT_EQ(id(row), "00000000");
        EXPECT_FALSE(rowButton("bt_delete", row)->isEnabled());
        EXPECT_TRUE(rowButton("bt_learn", row)->isEnabled());
        EXPECT_FALSE(w->timers().Timer2.isEnabled());
    }
    EXPECT_EQ(gatewayId(kInvertedRow), 0x0021C488u) << "other rows stay";
    EXPECT_EQ(id(kInvertedRow), "0021C488");
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(LearnSession, JaWithoutAddressClosesAndChangesNothing) {
    rowButton("bt_delete", kLearnedRow)->click();
    find<QLineEdit>("txt_Modbus_adress")->clear();
    inOpenWindow<QPushButton>("Abfrage", "Ja")->click();
    EXPECT_EQ(openWindow("Abfrage"), nullptr);
    EXPECT_FALSE(requestStarted());
    clock.advance(1000);
    EXPECT_EQ(gatewayId(kLearnedRow), 0x01800A22u);
    EXPECT_EQ(id(kLearnedRow), "01800A22");
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
}

TEST_P(LearnSession, NeinAndTheCloseBoxChangeNothing) {
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Nein");
        rowButton("bt_delete", kLearnedRow)->click();
        ASSERT_NE(openWindow("Abfrage"), nullptr);
        if (closeBox)
            openWindow("Abfrage")->close();
        else
            inOpenWindow<QPushButton>("Abfrage", "Nein")->click();
        EXPECT_EQ(openWindow("Abfrage"), nullptr);
        EXPECT_FALSE(requestStarted());
        clock.advance(1000);
        EXPECT_EQ(model->reg(10 * kLearnedRow), 0x0007);
        EXPECT_EQ(gatewayId(kLearnedRow), 0x01800A22u);
        EXPECT_EQ(org(kLearnedRow), "07");
        EXPECT_EQ(id(kLearnedRow), "01800A22");
        EXPECT_TRUE(rowButton("bt_delete", kLearnedRow)->isEnabled());
        EXPECT_FALSE(w->timers().Timer2.isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, LearnSession, ::testing::Values("ASCII", "RTU"));
