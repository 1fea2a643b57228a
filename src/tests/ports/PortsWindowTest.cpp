// The Ports window over the whole main window: the devices a fake enumerator lists, a mapping
// saved to the user's file and shown by the port list, the refresh every 2 s, bad input.

#include "ports/PortsWindow.h"
#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "ports/SerialDevices.h"
#include "support/ScriptedPort.h"
#include "support/UserFileAt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const SerialDevice kFtdi = exampleSerialDevices()[0];
const SerialDevice kCh340 = exampleSerialDevices()[1];

struct PortsWindowFixture : ::testing::Test {
    QTemporaryDir dir;
    UserFileAt user{dir.filePath("ports.reg")};
    ProgramSettings s;
    ManualClock clock;
    ScriptedPort port;
    RecordingMessageBoxes messages;
    RecordingDocumentOpener opener;
    QMap<QString, QString> stored{{"Language", "1033"}, {"COM3", "simulator"}};
    std::shared_ptr<FixedDevices> devices = std::make_shared<FixedDevices>(QList{kFtdi});
    std::unique_ptr<MainWindow> w;

    PortsWindow& open() {
        applyStartValues(s);
        auto read = [this](const QString&, const QString& value) { return stored.value(value); };
        w = std::make_unique<MainWindow>(s, clock, port, messages, read, opener);
        w->setSerialDevices(devices);
        runStartRoutine(s, *w, port);
        w->findChild<QAction*>("act_ports")->trigger();
        return w->portsWindow();
    }
    template <class T> T* in(const QString& name) {
        T* found = w->portsWindow().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QTableWidget* table(const QString& name) { return in<QTableWidget>(name); }
    QString cell(const QString& name, int row, int column) {
        QTableWidgetItem* item = table(name)->item(row, column);
        return item ? item->text() : QString("<none>");
    }
    void chooseCom(int n) {
        auto* com = in<QComboBox>("cmb_com");
        com->setCurrentIndex(n - 1);
        emit com->activated(n - 1);
    }
    void save(const QString& path, bool rs485 = false) {
        in<QLineEdit>("txt_path")->setText(path);
        in<QCheckBox>("chk_rs485")->setChecked(rs485);
        in<QPushButton>("bt_save")->click();
    }
    QString portTooltip(int n) {
        return w->findChild<QComboBox*>("Combo_Port_0")
            ->itemData(n - 1, Qt::ToolTipRole)
            .toString();
    }
    QByteArray userFile() {
        QFile f(dir.filePath("ports.reg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};
} // namespace

TEST_F(PortsWindowFixture, GermanAndEnglishTexts) {
    struct Row {
        const char *name, *german, *english;
    } rows[] = {{"grp_devices", "Angeschlossene serielle Geräte", "Serial devices present"},
                {"grp_mappings", "Zuordnungen", "Mappings"},
                {"chk_rs485", "RS485-Modus (RTS beim Senden)", "RS485 mode (RTS on send)"},
                {"bt_simulator", "Simuliertes Gateway", "Simulated gateway"},
                {"bt_save", "Speichern", "Save"},
                {"bt_remove", "Eigene Zuordnung entfernen", "Remove your mapping"},
                {"bt_close", "Schließen", "Close"}};
    for (const char* language : {"1031", "1033"}) {
        const bool english = QString(language) == "1033";
        stored["Language"] = language;
        PortsWindow& window = open();
        EXPECT_EQ(window.windowTitle(), english ? "Ports" : "Schnittstellen");
        EXPECT_EQ(w->findChild<QAction*>("act_ports")->text(),
                  english ? "Ports…" : "Schnittstellen…");
        EXPECT_EQ(table("tbl_devices")->horizontalHeaderItem(4)->text(),
                  english ? "Serial number" : "Seriennummer");
        for (const Row& r : rows) {
            QString shown;
            if (auto* box = window.findChild<QGroupBox*>(r.name))
                shown = box->title();
            else if (auto* button = window.findChild<QAbstractButton*>(r.name))
                shown = button->text();
            EXPECT_EQ(shown, QString::fromUtf8(english ? r.english : r.german)) << r.name;
        }
        EXPECT_EQ(w->findChild<QLabel*>("lbl_port_device")->text(),
                  english ? "simulated gateway" : "simuliertes Gateway"); // COM3
    }
}

TEST_F(PortsWindowFixture, AMappingSavedShowsInThePortListAndTheDeviceList) {
    open();
    ASSERT_EQ(table("tbl_devices")->rowCount(), 1);
    EXPECT_EQ(cell("tbl_devices", 0, 6), kFtdi.byIdPath);
    EXPECT_EQ(cell("tbl_devices", 0, 5), "0403:6001");
    EXPECT_EQ(cell("tbl_devices", 0, 0), "");        // mapped nowhere yet
    EXPECT_EQ(table("tbl_mappings")->rowCount(), 1); // COM3, the system's simulator
    emit table("tbl_devices")->cellClicked(0, 0);
    EXPECT_EQ(in<QLineEdit>("txt_path")->text(), kFtdi.byIdPath); // the stable path
    chooseCom(5);
    save(kFtdi.byIdPath, true);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("|").toStdString();
    EXPECT_TRUE(
        userFile().contains("\"COM5\"=\"" + kFtdi.byIdPath.toUtf8() + "\"\n\"COM5 RS485\"=\"on\""))
        << userFile().constData();
    EXPECT_EQ(cell("tbl_devices", 0, 0), "COM5");
    EXPECT_EQ(portTooltip(5), "/dev/ttyUSB0 — FT232R USB UART (FTDI, serial A12345), RS485");
    EXPECT_TRUE(in<QPushButton>("bt_remove")->isEnabled());
    auto* portList = w->findChild<QComboBox*>("Combo_Port_0"); // the label follows the selection
    portList->setCurrentIndex(4);
    emit portList->activated(4);
    EXPECT_EQ(w->findChild<QLabel*>("lbl_port_device")->text(), portTooltip(5));

    // an adapter plugged in shows within 2 s while the window is open, and no more once it is
    // closed
    devices->list << kCh340;
    clock.advance(2000);
    ASSERT_EQ(table("tbl_devices")->rowCount(), 2);
    EXPECT_EQ(cell("tbl_devices", 1, 6), "/dev/ttyUSB1");
    w->portsWindow().close();
    devices->list.clear();
    clock.advance(4000);
    EXPECT_EQ(table("tbl_devices")->rowCount(), 2);

    w->findChild<QAction*>("act_ports")->trigger();
    chooseCom(5);
    in<QPushButton>("bt_remove")->click();
    EXPECT_FALSE(userFile().contains("COM5"));
    EXPECT_EQ(portTooltip(5),
              "/dev/ttyS4 — " + QString(QFile::exists("/dev/ttyS4") ? "present" : "not present"));

    in<QSpinBox>("spn_net_margin")->setValue(250); // a network port, its margin beside it
    save("tcp://10.0.0.5:4001");
    EXPECT_TRUE(userFile().contains("\"COM5\"=\"tcp://10.0.0.5:4001\"\n\"COM5 NetMargin\"=\"250\""))
        << userFile().constData();
    EXPECT_EQ(portTooltip(5), "tcp://10.0.0.5:4001 — serial server, line settings on the server");
}

TEST_F(PortsWindowFixture, BadInputIsToldAndNothingIsWritten) {
    open();
    chooseCom(7);
    const char* refused[] = {"", "ttyUSB0", "/dev/qrx-none", "/tmp", "/etc/hostname"};
    for (const char* path : refused) {
        messages.shown.clear();
        save(path);
        ASSERT_EQ(messages.shown.size(), 1) << path;
        EXPECT_FALSE(messages.shown[0].isEmpty());
        EXPECT_EQ(userFile(), "<missing>") << path;
    }
    QFile f(dir.filePath("ports.reg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports]\nCOM1 /dev/x\n");
    f.close();
    messages.shown.clear();
    save("simulator");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains("line 2")) << messages.shown[0].toStdString();
    EXPECT_TRUE(userFile().endsWith("COM1 /dev/x\n")); // as it was
    EXPECT_TRUE(in<QLabel>("lbl_file")->text().contains("line 2"));
}
