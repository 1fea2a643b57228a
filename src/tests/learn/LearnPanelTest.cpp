#include "learn/LearnFakes.h"
#include "learn/SensorSettingsWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {
struct Mode : ::testing::TestWithParam<const char*> {
    LearnRig rig{GetParam()};
    QWidget* window() { return rig.panel.settingsWindow(); }
    QCheckBox* invert() { return rig.child<QCheckBox>(window(), "chk_invert"); }
    QLineEdit* idField() { return rig.child<QLineEdit>(window(), "txtSensorIDeingabe"); }
    QRadioButton* option(const char* name) { return rig.child<QRadioButton>(window(), name); }
    void openFor(int row) {
        rig.panel.bt_learn_Click(row);
        rig.port.written.clear();
    }
    void manual(const QString& id, const char* org) {
        rig.click(window(), "Manuell_1");
        idField()->setText(id);
        rig.click(window(), org);
        rig.click(window(), "bt_learn_sensor");
    }
};
} // namespace

TEST_P(Mode, LearnButtonReadsTheRowsInversionCoilAndOpensTheWindow) {
    rig.sensors.read = true;
    rig.t1->setEnabled(true);
    rig.panel.bt_learn_Click(31);
    EXPECT_EQ(rig.writtenRequests(), QStringList{"0101003F0001"});
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::ReadInversionFlag);
    EXPECT_EQ(rig.settings.CurrentRow, 31);
    EXPECT_EQ(rig.settings.LearnRow, 31);
    EXPECT_EQ(rig.sensors.offSwitches, 1) << "the continuous read stops";
    EXPECT_FALSE(rig.t1->isEnabled());
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->objectName(), "LernmodusFenster");
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(window()->parentWidget(), &rig.main.owner);
    EXPECT_TRUE(rig.messages.shown.isEmpty());
}

TEST_P(Mode, WindowOpensInLearnButtonModeWithOrg05) {
    rig.panel.bt_learn_Click(3);
    EXPECT_TRUE(option("Manuell_0")->isChecked());
    EXPECT_TRUE(option("ManuellIDOption_0")->isChecked());
    EXPECT_FALSE(idField()->isEnabled());
    for (const char* o : {"ManuellIDOption_0", "ManuellIDOption_1", "ManuellIDOption_2"})
        EXPECT_FALSE(option(o)->isEnabled()) << o;
    rig.click(window(), "Manuell_1");
    EXPECT_TRUE(idField()->isEnabled());
    EXPECT_TRUE(option("ManuellIDOption_2")->isEnabled());
    EXPECT_TRUE(option("Manuell_1")->isChecked());
    EXPECT_TRUE(option("ManuellIDOption_0")->isChecked()) << "the groups are independent";
}

TEST_P(Mode, LernenStartsLearnModeForTheRow) {
    struct Row {
        int row;
        const char* request;
    };
    for (Row r : {Row{0, "010F000000010101"}, Row{31, "010F001F00010101"}}) {
        openFor(r.row);
        rig.click(window(), "bt_learn_sensor");
        EXPECT_EQ(rig.writtenRequests(), QStringList{r.request});
        EXPECT_EQ(rig.settings.RequestText, r.request);
        EXPECT_EQ(rig.settings.RegisterCounter, r.row * 10);
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::StartLearnMode);
        EXPECT_EQ(window(), nullptr) << "the window closes";
    }
}

TEST_P(Mode, LearnModeAnswerStartsTheWaitUnderTheStatusWindow) {
    openFor(4);
    rig.click(window(), "bt_learn_sensor");
    rig.answer("010F00040001"); // the gateway echoes coil and quantity
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::WatchSensorSlot);
    EXPECT_TRUE(rig.status.isShownNow());
    EXPECT_EQ(rig.status.findChild<QLabel*>("lblTxt")->text(), "Lerntaste drücken ...");
    EXPECT_TRUE(rig.t2->isEnabled());
    EXPECT_EQ(rig.settings.RegisterCounter, 40);
}

TEST_P(Mode, AnExceptionAnswerToLearnModeDoesNotStartTheWait) {
    // an exception answer is not the gateway taking learn mode: it is dropped, and the
    // time-out reports the missing answer
    openFor(0);
    rig.click(window(), "bt_learn_sensor");
    rig.answer("018F02");
    EXPECT_EQ(rig.settings.RequestKind, RequestKinds::StartLearnMode);
    EXPECT_FALSE(rig.status.isShownNow());
}

TEST_P(Mode, WithoutAValidAddressNothingIsSentButTheWindowOpens) {
    for (QString address : {"", "256", "-1", "1a"}) {
        rig.messages.shown.clear();
        rig.main.address = address;
        rig.panel.bt_learn_Click(2);
        EXPECT_EQ(rig.messages.shown, QStringList{"No Modbus address choosen"});
        ASSERT_NE(window(), nullptr);
        rig.click(window(), "bt_learn_sensor");
        EXPECT_NE(window(), nullptr) << "Lernen does nothing, the window stays";
        manual("00001578", "ManuellIDOption_0");
        EXPECT_NE(window(), nullptr);
        rig.click(window(), "bt_set");
        EXPECT_NE(window(), nullptr);
        EXPECT_TRUE(rig.port.written.isEmpty()) << address.toStdString();
        EXPECT_FALSE(rig.t2->isEnabled());
        EXPECT_FALSE(rig.t3->isEnabled());
        rig.click(window(), "bt_cancel");
    }
}

TEST_P(Mode, ManualLearnInWritesOrgAndIdAndStartsTheWatch) {
    struct Row {
        int row;
        const char* id;
        const char* option;
        const char* request;
    };
    for (Row r : {Row{0, "00001578", "ManuellIDOption_0", "01100000000306000500001578"},
                  Row{26, "A1B2C3D4", "ManuellIDOption_2", "011001040003060007A1B2C3D4"},
                  Row{31, "FFFFFFFF", "ManuellIDOption_1", "011001360003060006FFFFFFFF"},
                  Row{1, "0000000A", "ManuellIDOption_0", "0110000A00030600050000000A"}}) {
        rig.t2->setEnabled(false);
        openFor(r.row);
        manual(r.id, r.option);
        EXPECT_EQ(rig.writtenRequests(), QStringList{r.request}) << r.row;
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::WriteSensorEntry);
        EXPECT_EQ(rig.settings.RegisterCounter, r.row * 10);
        EXPECT_EQ(rig.settings.LearnIdText, r.id);
        EXPECT_TRUE(rig.t2->isEnabled());
        EXPECT_EQ(window(), nullptr);
        EXPECT_FALSE(rig.status.isShownNow()) << "no status window for a manual learn-in";
    }
}

TEST_P(Mode, AnIdOfWrongLengthIsRefusedAndTheWindowStaysOpen) {
    for (QString id : {"0000157", "", "1"}) {
        rig.messages.shown.clear();
        openFor(5);
        manual(id, "ManuellIDOption_0");
        EXPECT_EQ(rig.messages.shown, QStringList{"Length ID-Byte is wrong; e.g.: 00001578"});
        EXPECT_NE(window(), nullptr);
        EXPECT_TRUE(rig.port.written.isEmpty());
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::WriteSensorEntry);
        EXPECT_EQ(rig.settings.RegisterCounter, 50);
        EXPECT_FALSE(rig.t2->isEnabled());
    }
}

TEST_P(Mode, InversionAnswerTicksTheBoxAndShadesTheRow) {
    openFor(7);
    rig.answer("01010101");
    EXPECT_TRUE(invert()->isChecked());
    EXPECT_EQ(rig.settings.InversionValue, 1);
    EXPECT_EQ(rig.sensors.shades.value(7, false), true);
    rig.click(window(), "bt_cancel");

    rig.settings.InversionValue = 0;
    openFor(8);
    rig.answer("01010100");
    EXPECT_FALSE(invert()->isChecked());
    EXPECT_EQ(rig.settings.InversionValue, 0);
    ASSERT_TRUE(rig.sensors.shades.contains(8));
    EXPECT_FALSE(rig.sensors.shades[8]);
}

TEST_P(Mode, InversionAnswerWhileTimer3RunsIsTakenTheSameWay) {
    rig.t3->setInterval(600);
    rig.t3->setEnabled(true);
    openFor(9);
    rig.answer("01010101");
    EXPECT_TRUE(invert()->isChecked());
    EXPECT_TRUE(rig.sensors.shades.value(9, false));
    EXPECT_EQ(rig.settings.LearnRow, 9) << "no coil-by-coil sweep";
}

TEST_P(Mode, SetzenWritesTheInversionCoilAndStartsTheRefresh) {
    struct Row {
        int row;
        std::vector<bool> clicks; // ticks of chk_invert before Setzen
        const char* request;
    };
    for (const Row& r : {Row{0, {true}, "010F002000010101"}, Row{0, {}, "010F002000010100"},
                         Row{0, {true, false, true, false}, "010F002000010100"},
                         Row{31, {true}, "010F003F00010101"}}) {
        rig.t3->setEnabled(false);
        openFor(r.row);
        for (bool tick : r.clicks)
            invert()->setChecked(tick);
        rig.click(window(), "bt_set");
        EXPECT_EQ(rig.writtenRequests(), QStringList{r.request}) << r.row;
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::SetInversion);
        EXPECT_EQ(rig.settings.InversionValue, QString(r.request).endsWith("01") ? 1 : 0);
        EXPECT_TRUE(rig.t3->isEnabled());
        EXPECT_EQ(window(), nullptr);
    }
}

TEST_P(Mode, EveryOpeningIsAFreshLoad) {
    openFor(2);
    invert()->setChecked(true);
    rig.click(window(), "Manuell_1");
    idField()->setText("1234");
    rig.click(window(), "ManuellIDOption_2");
    rig.click(window(), "bt_cancel");
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(rig.port.written.isEmpty()) << "Abbrechen sends nothing";
    openFor(2);
    EXPECT_FALSE(invert()->isChecked());
    EXPECT_TRUE(option("Manuell_0")->isChecked());
    EXPECT_TRUE(option("ManuellIDOption_0")->isChecked());
    EXPECT_TRUE(idField()->text().isEmpty());
    EXPECT_EQ(rig.main.localised.back(), 4);
}

TEST_P(Mode, CloseBoxOfTheSettingsWindowSendsNothing) {
    openFor(2);
    window()->close();
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(rig.port.written.isEmpty());
}

TEST_P(Mode, EnglishCaptions) {
    rig.main.english = true;
    openFor(0);
    EXPECT_EQ(window()->windowTitle(), "Set sensor");
    EXPECT_EQ(rig.child<QAbstractButton>(window(), "bt_learn_sensor")->text(), "Transmit");
    EXPECT_EQ(rig.child<QAbstractButton>(window(), "bt_cancel")->text(), "Cancel");
    EXPECT_EQ(rig.child<QAbstractButton>(window(), "bt_set")->text(), "Set");
    EXPECT_EQ(invert()->text(), "Invert Data-Byte 1");
    EXPECT_EQ(option("Manuell_0")->text(), "Learning sensor ID by learn-in button");
    EXPECT_EQ(option("Manuell_1")->text(), "Learn-in sensor ID manually:");
    EXPECT_EQ(option("ManuellIDOption_0")->text(), "Rocker switch (ORG-Byte 05)");
    EXPECT_EQ(option("ManuellIDOption_1")->text(), "1 Byte Sensor (ORG-Byte 06)");
}

TEST_P(Mode, DeletionAfterJaWritesZerosAndStartsTheWatch) {
    struct Row {
        int row;
        const char* request;
    };
    for (Row r : {Row{0, "01100000000306000000000000"}, Row{31, "01100136000306000000000000"}}) {
        rig.t2->setEnabled(false);
        rig.port.written.clear();
        rig.panel.bt_delete_Click(r.row);
        QWidget* confirm = rig.panel.confirmWindow();
        ASSERT_NE(confirm, nullptr);
        EXPECT_EQ(confirm->objectName(), "Abfrage");
        EXPECT_EQ(confirm->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(rig.port.written.isEmpty());
        rig.click(confirm, "Ja");
        EXPECT_EQ(rig.writtenRequests(), QStringList{r.request});
        EXPECT_EQ(rig.settings.RequestKind, RequestKinds::WriteSensorEntry);
        EXPECT_EQ(rig.settings.LearnOrgText, "00");
        EXPECT_EQ(rig.settings.LearnIdText, "00000000");
        EXPECT_EQ(rig.settings.RegisterCounter, r.row * 10);
        EXPECT_TRUE(rig.t2->isEnabled());
        EXPECT_EQ(rig.panel.confirmWindow(), nullptr);
    }
}

TEST_P(Mode, DeletionWritesTheConfirmedRowEvenWhenATableReadMovedTheRegister) {
    rig.panel.bt_delete_Click(3);
    rig.settings.RegisterCounter = 120; // Timer1 went on reading meanwhile
    rig.click(rig.panel.confirmWindow(), "Ja");
    EXPECT_EQ(rig.writtenRequests(), QStringList{"0110001E000306000000000000"});
}

TEST_P(Mode, NeinCloseBoxAndJaWithoutAddressChangeNothing) {
    rig.panel.bt_delete_Click(4);
    rig.click(rig.panel.confirmWindow(), "Nein");
    EXPECT_EQ(rig.panel.confirmWindow(), nullptr);
    rig.panel.bt_delete_Click(4);
    rig.panel.confirmWindow()->close();
    EXPECT_EQ(rig.panel.confirmWindow(), nullptr);
    rig.main.address = "";
    rig.panel.bt_delete_Click(4);
    rig.click(rig.panel.confirmWindow(), "Ja");
    EXPECT_EQ(rig.panel.confirmWindow(), nullptr);
    EXPECT_TRUE(rig.port.written.isEmpty());
    EXPECT_FALSE(rig.t2->isEnabled());
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_TRUE(rig.settings.LearnIdText.isEmpty());
}

TEST_P(Mode, ConfirmationInEnglish) {
    rig.main.english = true;
    rig.panel.bt_delete_Click(0);
    QWidget* confirm = rig.panel.confirmWindow();
    EXPECT_EQ(confirm->windowTitle(), "Confirming delete of sensor");
    EXPECT_EQ(rig.child<QLabel>(confirm, "lbl_request")->text(),
              "Do you want to delete the Sensor?");
    EXPECT_EQ(rig.child<QAbstractButton>(confirm, "Ja")->text(), "Yes");
    EXPECT_EQ(rig.child<QAbstractButton>(confirm, "Nein")->text(), "No");
}

INSTANTIATE_TEST_SUITE_P(BothModes, Mode, ::testing::Values("ASCII", "RTU"));

TEST(LearnFrames, AsciiAndRtuBytesOfLernen) {
    for (const char* mode : {"ASCII", "RTU"}) {
        LearnRig rig(mode);
        rig.panel.bt_learn_Click(0);
        rig.port.written.clear();
        rig.click(rig.panel.settingsWindow(), "bt_learn_sensor");
        ASSERT_EQ(rig.port.written.size(), 1);
        if (rig.rtu())
            EXPECT_EQ(rig.port.written[0].toHex(' ').toUpper(),
                      QByteArray("01 0F 00 00 00 01 01 01 EF 57"));
        else
            EXPECT_EQ(rig.port.written[0], QByteArray(":010F000000010101ED\r\n"));
    }
}
