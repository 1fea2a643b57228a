#include "app/MainWindow.h"
#include "app/AboutWindow.h"
#include "app/ParameterFrame.h"
#include "app/StartRoutine.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "support/ScriptedPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct MainWindowFixture : ::testing::Test {
    ProgramSettings s;
    ManualClock clock;
    ScriptedPort port;
    RecordingMessageBoxes messages;
    RecordingDocumentOpener opener;
    QMap<QString, QString> stored{{"Language", "1031"}, {"Pfad", "/opt/qrx"}, {"Version", "1.2.3"}};
    std::unique_ptr<MainWindow> w;

    void start() {
        applyStartValues(s);
        auto read = [this](const QString& key, const QString& value) -> QString {
            if (!key.startsWith("SOFTWARE\\Korvalund\\QRX-QTX-RS485-", Qt::CaseInsensitive))
                return {};
            return stored.value(value);
        };
        w = std::make_unique<MainWindow>(s, clock, port, messages, read, opener);
        runStartRoutine(s, *w, port);
    }
    template <class T> T* find(const QString& name) {
        T* found = w->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QComboBox* list(int i) { return find<QComboBox>(QString("Combo_Port_%1").arg(i)); }
    void pick(int listIndex, const QString& text) {
        QComboBox* l = list(listIndex);
        l->setCurrentIndex(l->findText(text));
        emit l->activated(l->currentIndex()); // as the user's pick
    }
    void setAddress(const QString& text) { find<QLineEdit>("txt_Modbus_adress")->setText(text); }
};
} // namespace

TEST_F(MainWindowFixture, FreshStartShowsTheDefaultsWithThePortClosed) {
    start();
    EXPECT_EQ(list(0)->currentText(), "COM3");
    EXPECT_EQ(list(1)->currentText(), "9600");
    EXPECT_EQ(list(2)->currentText(), "even");
    EXPECT_EQ(list(5)->currentText(), "ASCII");
    EXPECT_EQ(list(6)->currentText(), "close");
    EXPECT_FALSE(port.open);
    EXPECT_EQ(port.settings, "9600,E,7,1");
    EXPECT_EQ(port.port, 3);
    EXPECT_EQ(port.mode, InputMode::Text);
    EXPECT_FALSE(w->timers().Timer4.isEnabled());
    EXPECT_EQ(w->timers().Timer4.interval(), 100);
    EXPECT_FALSE(find<QCheckBox>("chk_connected")->isChecked());
    for (int row = 0; row < kSensorRows; ++row) {
        EXPECT_FALSE(find<QPushButton>(QString("bt_learn_%1").arg(row))->isEnabled()) << row;
        EXPECT_FALSE(find<QPushButton>(QString("bt_delete_%1").arg(row))->isEnabled()) << row;
    }
    EXPECT_EQ(s.ModeText, "ASCII");
    EXPECT_TRUE(s.FirstReadPending);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowFixture, EachListCombinationGivesItsSettingsText) {
    start();
    struct Case {
        const char *baud, *parity, *mode, *text;
        InputMode input;
        int poll;
    } cases[] = {{"9600", "No parity", "RTU", "9600,N,8,2", InputMode::Binary, 50},
                 {"115200", "odd", "RTU", "115200,O,8,1", InputMode::Binary, 50},
                 {"19200", "even", "ASCII", "19200,E,7,1", InputMode::Text, 100},
                 {"1200", "No parity", "ASCII", "1200,N,7,2", InputMode::Text, 100}};
    for (const auto& c : cases) {
        pick(1, c.baud);
        pick(2, c.parity);
        pick(5, c.mode);
        // applied at once, before any open
        EXPECT_EQ(port.settings, c.text);
        EXPECT_EQ(port.mode, c.input) << c.text;
        EXPECT_EQ(w->timers().Timer4.interval(), c.poll) << c.text;
        EXPECT_FALSE(port.open);
    }
}

TEST_F(MainWindowFixture, OpenSendsTheIdentificationFirstInBothModes) {
    start();
    setAddress("1");
    pick(6, "open");
    ASSERT_EQ(port.written.size(), 1);
    EXPECT_EQ(port.written[0], QByteArray(":010301410001B9\r\n"));
    EXPECT_TRUE(w->timers().Timer4.isEnabled());
    EXPECT_EQ(s.RequestKind, RequestKinds::IdentifyDevice);
    EXPECT_FALSE(list(0)->isEnabled());
    pick(6, "close");
    EXPECT_FALSE(port.open);
    EXPECT_FALSE(w->timers().Timer4.isEnabled());
    pick(5, "RTU");
    pick(6, "open");
    ASSERT_EQ(port.written.size(), 2);
    EXPECT_EQ(port.written[1].toHex(' ').toUpper(), QByteArray("01 03 01 41 00 01 D5 E2"));
}

TEST_F(MainWindowFixture, ResponseInputsAreDisabledWheneverThePortIsClosed) {
    start();
    setAddress("1");
    auto* read = find<QCheckBox>("chk_read");
    auto inputsEnabled = [this] {
        const bool field = find<QLineEdit>("txt_min_response")->isEnabled();
        EXPECT_EQ(find<QPushButton>("bt_set_response")->isEnabled(), field);
        return field;
    };
    pick(6, "open");
    EXPECT_TRUE(inputsEnabled());
    read->setChecked(true);
    EXPECT_FALSE(inputsEnabled()); // not while the table is read
    // closing unticks the read, whose off-switch must not enable them again
    pick(6, "close");
    EXPECT_FALSE(read->isChecked());
    EXPECT_FALSE(inputsEnabled());
    read->setChecked(true);
    read->setChecked(false);
    EXPECT_FALSE(inputsEnabled()) << "the read switched off on a closed port";
    pick(6, "open");
    EXPECT_TRUE(inputsEnabled());
}

TEST_F(MainWindowFixture, OpenWithoutAddressSendsNothingButPolls) {
    start();
    setAddress("");
    pick(6, "open");
    EXPECT_TRUE(port.open);
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(w->timers().Timer4.isEnabled());
}

TEST_F(MainWindowFixture, FailedOpenReportsTheErrorNumberAndReturnsToClose) {
    start();
    setAddress("1");
    port.failOpenWith = 1;
    pick(6, "open");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], "COM-Port not available, 1");
    EXPECT_TRUE(messages.details[0].startsWith("/dev/ttyS2: No such file or directory"))
        << messages.details[0].toStdString();
    EXPECT_EQ(list(6)->currentText(), "close");
    EXPECT_FALSE(s.PortIsOpen);
    EXPECT_FALSE(port.open);
    EXPECT_TRUE(list(0)->isEnabled());
    EXPECT_FALSE(w->timers().Timer4.isEnabled());
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_FALSE(find<QLineEdit>("txt_empfang")->isReadOnly());
}

TEST_F(MainWindowFixture, LostDeviceLeavesTheClosedState) {
    start();
    setAddress("1");
    pick(6, "open");
    port.loseDevice();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], "COM-Port not available, 9");
    EXPECT_TRUE(messages.details[0].startsWith("/dev/ttyUSB0: Input/output error"));
    EXPECT_EQ(list(6)->currentText(), "close");
    EXPECT_FALSE(s.PortIsOpen);
    EXPECT_FALSE(w->timers().Timer4.isEnabled());
    EXPECT_TRUE(list(5)->isEnabled());
}

TEST_F(MainWindowFixture, RefusedRs485ModeIsToldAndThePortStaysOpen) {
    stored["Language"] = "1033";
    start();
    setAddress("1");
    port.refuseRs485 = true;
    pick(6, "open");
    ASSERT_EQ(messages.shown, QStringList{"RS485 mode not available"});
    EXPECT_TRUE(messages.details[0].startsWith(
        "/dev/ttyUSB0: Inappropriate ioctl for device\nThe driver of this device has no RS485"));
    EXPECT_TRUE(port.open);
    EXPECT_EQ(list(6)->currentText(), "open");
    EXPECT_EQ(port.written.size(), 1); // the identification went out
}

TEST_F(MainWindowFixture, AddressBoxTakesThreeDigitsAndRefusesAbove255) {
    start();
    QLineEdit* box = find<QLineEdit>("txt_Modbus_adress");
    box->clear();
    QTest::keyClicks(box, "1a2");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), "12");
    QTest::keyClicks(box, "34");
    EXPECT_EQ(box->text(), "123");
    box->setText("300");
    w->show();
    box->setFocus();
    QEvent out(QEvent::FocusOut);
    QApplication::sendEvent(box, &out);
    EXPECT_EQ(messages.shown, QStringList{"Wrong Modbus address - 0...255"});
    // no request is built with it
    pick(6, "open");
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(MainWindowFixture, ConnectedEnablesLearnButtonsAndDeleteOnlyForLearnedRows) {
    start();
    auto* connected = find<QCheckBox>("chk_connected");
    connected->setChecked(true);
    EXPECT_TRUE(find<QPushButton>("bt_learn_0")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("bt_delete_0")->isEnabled()); // ORG "00": empty row
    connected->setChecked(false);
    EXPECT_FALSE(find<QPushButton>("bt_learn_0")->isEnabled());
}

TEST_F(MainWindowFixture, EnglishCaptionsTextsAndHelpDocument) {
    stored["Language"] = "1033";
    start();
    auto* tabs = find<QTabWidget>("SSTab1");
    EXPECT_EQ(tabs->tabText(0), "Sensors");
    EXPECT_EQ(tabs->tabText(1), "Sender");
    EXPECT_EQ(find<QLabel>("lbl_desc")->text(), "Device:");
    EXPECT_EQ(find<QGroupBox>("frm_scale")->title(), "Scale Data-Bytes");
    EXPECT_EQ(find<QComboBox>("Telegram_0")->itemText(0), "Manual");
    EXPECT_TRUE(find<QComboBox>("Combo1_7")->toolTip().startsWith("5: rocker switch"));
    EXPECT_TRUE(find<QLineEdit>("txt_snd_status_7")->toolTip().startsWith("0 to 255"));
    EXPECT_EQ(s.Texts.value(1), "Communication problems!");
    w->MenuMain_Click(2);
    EXPECT_EQ(opener.opened, QStringList{"/opt/qrx/Doc/QRX-QTX-RS485_MODBUS_engl.pdf"});
}

TEST_F(MainWindowFixture, GermanForEveryOtherLanguageValue) {
    for (const char* language : {"1031", "", "1036", "abc"}) {
        stored["Language"] = language;
        start();
        EXPECT_EQ(find<QTabWidget>("SSTab1")->tabText(0), "Sensoren") << language;
        EXPECT_EQ(find<QLabel>("lbl_desc")->text(), "Gerät:");
        EXPECT_EQ(find<QComboBox>("Telegram_0")->itemText(0), "Manuell");
        EXPECT_EQ(s.LanguageCode, "1031");
        EXPECT_EQ(s.Texts.value(1), "Kommunikationsproblem!");
        opener.opened.clear();
        w->MenuMain_Click(2);
        EXPECT_EQ(opener.opened, QStringList{"/opt/qrx/Doc/QRX-QTX-RS485_MODBUS.pdf"});
        w.reset();
        s = ProgramSettings{};
    }
}

TEST_F(MainWindowFixture, LeavingTheSensorTabHidesTheScaleFrame) {
    start();
    w->show();
    auto* tabs = find<QTabWidget>("SSTab1");
    auto* scale = find<QGroupBox>("frm_scale");
    EXPECT_TRUE(scale->isVisible());
    tabs->setTabEnabled(1, true);
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(scale->isVisible());
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(scale->isVisible());
}

TEST_F(MainWindowFixture, AboutFollowsTheStoredLanguage) {
    for (const char* language : {"1033", "1031"}) {
        stored["Language"] = "1031";
        start();
        // a language stored after the main window loaded takes effect in the windows loaded later
        stored["Language"] = language;
        AboutWindow& about = w->aboutWindow();
        about.Form_Load();
        const bool english = QString(language) == "1033";
        EXPECT_EQ(about.windowTitle(), english ? "About" : "Information");
        EXPECT_EQ(find<QComboBox>("Telegram_0")->itemText(0), english ? "Manual" : "Manuell");
        EXPECT_EQ(s.HelpDocument, english ? kEnglishHelp : kGermanHelp);
        EXPECT_EQ(about.findChild<QLabel*>("Label1")->text(), "1.2.3");
        EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(),
                  english ? "Korvalund: Configuration software for QTX-RS485-Modbus"
                          : "Korvalund: Konfigurationssoftware für QRX_QTX-RS485-Modbus");
        about.lblemail_Click();
        EXPECT_EQ(opener.opened.last(), "mailto:" + AboutWindow::kEmail);
        w.reset();
        s = ProgramSettings{};
    }
}
