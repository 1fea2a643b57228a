// The window frmScan in the whole main window, on the manual clock: its texts in both languages,
// the open port it will not scan through, and a gateway found on a port of the scan's own whose
// settings "Use" puts into the parameter frame, after which the window connects to it.

#include "scan/ScanWindow.h"
#include "app/ParameterFrame.h"
#include "support/WindowSession.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {
const LineChoice kGatewayLine{LineMode::Rtu, 19200, 'N'};

std::unique_ptr<GatewayModel> gatewayAt17() {
    return std::make_unique<GatewayModel>(17, GatewayVariant::Receiver, 3);
}

struct ScanSession : WindowSession {
    ScanSession()
        : WindowSession(gatewayAt17()) {
        port->setGatewayLine(kGatewayLine.settings());
        w->setPortMaker([this](int commPort) -> std::unique_ptr<SerialPort> {
            scannedPort = commPort;
            auto scanPort = std::make_unique<SimulatedGatewayPort>(clock, gatewayAt17());
            scanPort->setGatewayLine(kGatewayLine.settings());
            return scanPort;
        });
    }
    ScanWindow& openScan() {
        find<QAction>("act_find_gateway")->trigger();
        return w->scanWindow();
    }
    template <class T> T* inScan(const QString& name) { return inOpenWindow<T>("frmScan", name); }
    QString state() { return inScan<QLabel>("lbl_state")->text(); }
    int scannedPort = 0;
};
} // namespace

TEST(ScanWindow, TextsFollowTheStoredLanguage) {
    struct Case {
        const char* language;
        const char* action;
        const char* title;
        const char* start;
        const char* firstColumn;
    } cases[] = {
        {"1031", "Gateway suchen…", "Gateway suchen", "Suchen", "Adresse"},
        {"1033", "Find gateway…", "Find gateway", "Search", "Address"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        WindowSession session(gatewayAt17(), {}, c.language);
        auto* action = session.find<QAction>("act_find_gateway");
        EXPECT_EQ(action->text(), c.action);
        action->trigger();
        ScanWindow& scan = session.w->scanWindow();
        EXPECT_TRUE(scan.isVisible());
        EXPECT_EQ(scan.windowTitle(), c.title);
        EXPECT_EQ(scan.findChild<QPushButton*>("bt_start")->text(), c.start);
        EXPECT_EQ(scan.findChild<QTableWidget*>("lst_found")->horizontalHeaderItem(0)->text(),
                  c.firstColumn);
        scan.close();
    }
}

TEST(ScanWindow, AnOpenPortIsNotScannedThrough) {
    ScanSession session;
    session.connect("ASCII");
    session.openScan();
    EXPECT_TRUE(session.state().contains("close")) << session.state().toStdString();
    session.inScan<QPushButton>("bt_start")->click();
    EXPECT_FALSE(session.w->scanWindow().scanning());
    EXPECT_EQ(session.scannedPort, 0) << "no port of its own was made";
}

TEST(ScanWindow, AGatewayFoundIsTakenIntoTheParameterFrame) {
    ScanSession session;
    ScanWindow& scan = session.openScan();
    session.inScan<QCheckBox>("chk_mode_0")->setChecked(false); // RTU only
    session.inScan<QPushButton>("bt_start")->click();
    ASSERT_TRUE(scan.scanning());
    session.clock.advance(1000);
    EXPECT_TRUE(session.inScan<QLabel>("lbl_progress")->text().startsWith("COM3: RTU 9600 even"))
        << session.inScan<QLabel>("lbl_progress")->text().toStdString();
    for (int waited = 0; scan.scanning() && waited < 600; ++waited)
        session.clock.advance(1000);
    EXPECT_EQ(session.scannedPort, 3) << "the COM entry the window has chosen";
    ASSERT_EQ(scan.found().size(), 1u) << session.state().toStdString();
    auto* found = session.inScan<QTableWidget>("lst_found");
    EXPECT_EQ(found->item(0, 0)->text(), "17");
    EXPECT_EQ(found->item(0, 3)->text(), "No parity");
    EXPECT_EQ(found->item(0, 4)->text(), "QRX40");

    session.inScan<QPushButton>("bt_use_0")->click();
    // the lists are selected as the user would: the click handler applied them
    EXPECT_EQ(session.find<QComboBox>("Combo_Port_5")->currentText(), "RTU");
    EXPECT_EQ(session.find<QComboBox>("Combo_Port_1")->currentText(), "19200");
    EXPECT_EQ(session.find<QComboBox>("Combo_Port_2")->currentText(), "No parity");
    EXPECT_EQ(session.text("txt_Modbus_adress"), "17");
    EXPECT_EQ(session.port->Settings(), "19200,N,8,2");
    session.pick(6, "open");
    session.clock.advance(20000);
    EXPECT_TRUE(session.find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_EQ(session.text("txt_devType"), "QRX40");
}
