// Takes the manual's screenshots: the real windows of the tool against the in-process demo
// gateway, driven by the manual clock, grabbed with QWidget::grab() and saved as PNG.
//   qrx-doc-shots <output folder>       (runs headless with QT_QPA_PLATFORM=offscreen)
// Files: <name>-de.png and <name>-en.png for main, sender, settings, status-learn, status-read,
// delete, alarm (the lower part of the main window), history, ports, scan, traffic, restore (the
// preview), commission; and commission-report-de.pdf / -en.pdf, the report whose first page
// tools/screenshots.sh turns into commission-report-*.png.

#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "backup/BackupMenu.h"
#include "backup/ConfigFile.h"
#include "backup/RestoreWindow.h"
#include "backup/SaveWindow.h"
#include "commission/CommissionWindow.h"
#include "commission/Commissioning.h"
#include "core/Localisation.h"
#include "history/HistoryWindow.h"
#include "learn/LearnPanel.h"
#include "learn/StatusWindow.h"
#include "link/SerialPort.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "ports/PortsWindow.h"
#include "ports/SerialDevices.h"
#include "scan/ScanWindow.h"
#include "sensors/ScaleFrame.h"
#include "sim/SimulatedGatewayPort.h"
#include "traffic/TrafficWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kMaxWidth = 800; // the manual's pages are A4; wider pictures only cost bytes
constexpr int kMainWidth = 1100;
constexpr int kMainHeight = 720;
constexpr int kPortsWidth = 1000;
constexpr int kPortsHeight = 540;

class Session {
public:
    Session(const QString& language, int address, FaultPlan faults = {}) {
        port_ = std::make_unique<SimulatedGatewayPort>(clock_, makeDemoModel(), faults);
        applyStartValues(s_);
        const StoredSettingReader read = [language](const QString&, const QString& value) {
            if (value == "Language")
                return language;
            if (value == "Version")
                return QStringLiteral("1.0.0");
            if (value == "COM3") // the demo's port list: COM3 is the simulated gateway
                return QStringLiteral("simulator");
            return QString();
        };
        w_ = std::make_unique<MainWindow>(s_, clock_, *port_, messages_, read, opener_);
        w_->setSerialDevices(std::make_shared<FixedDevices>(exampleSerialDevices()));
        runStartRoutine(s_, *w_, *port_);
        w_->findChild<QLineEdit*>("txt_Modbus_adress")->setText(QString::number(address));
    }
    ~Session() {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != w_.get())
                top->close();
    }

    MainWindow& window() { return *w_; }
    ManualClock& clock() { return clock_; }
    ProgramSettings& settings() { return s_; }
    GatewayModel& model() { return port_->model(); }

    void pick(int list, const QString& text) {
        auto* l = w_->findChild<QComboBox*>(QString("Combo_Port_%1").arg(list));
        l->setCurrentIndex(l->findText(text));
        emit l->activated(l->currentIndex());
    }
    // Advances the clock in small steps until done() holds; false after limitMs.
    bool advanceUntil(const std::function<bool()>& done, int64_t limitMs = 30000) {
        for (int64_t t = 0; t < limitMs; t += 50) {
            if (done())
                return true;
            clock_.advance(50);
            QCoreApplication::processEvents();
        }
        return done();
    }
    void advance(int64_t ms) {
        clock_.advance(ms);
        QCoreApplication::processEvents();
    }
    template <class T> T* child(QWidget* in, const QString& name) {
        return in->findChild<T*>(name);
    }
    void click(QWidget* in, const QString& name) {
        if (auto* b = child<QAbstractButton>(in, name))
            b->click();
    }

private:
    ProgramSettings s_;
    ManualClock clock_;
    std::unique_ptr<SimulatedGatewayPort> port_;
    RecordingMessageBoxes messages_;
    RecordingDocumentOpener opener_;
    std::unique_ptr<MainWindow> w_;
};

// The main window at the size that shows all 32 rows; the small windows at their own size.
bool save(QWidget* widget, const QString& file) {
    if (!widget) {
        std::fprintf(stderr, "no window for %s\n", qPrintable(file));
        return false;
    }
    if (qobject_cast<MainWindow*>(widget))
        widget->resize(qMax(kMainWidth, widget->minimumSizeHint().width()), kMainHeight);
    else if (!qobject_cast<PortsWindow*>(widget)) // the Ports window's tables take the size given
        widget->adjustSize();
    QRect area = widget->rect();
    if (!qobject_cast<MainWindow*>(widget)) // without the empty space below the controls
        area.setBottom(qMin(area.bottom(), widget->childrenRect().bottom() + 8));
    QPixmap shot = widget->grab(area);
    if (shot.width() > kMaxWidth)
        shot = shot.scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    if (!shot.save(file, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s %dx%d (window %dx%d)\n", qPrintable(file), shot.width(), shot.height(),
                widget->width(), widget->height());
    return true;
}

// The lower part of the main window, where the alarm shows.
bool saveAlarm(MainWindow& w, const QString& file) {
    w.resize(qMax(kMainWidth, w.minimumSizeHint().width()), kMainHeight);
    auto* alarm = w.findChild<QWidget*>("lbl_Alarm");
    auto* scale = w.findChild<QWidget*>("frm_scale");
    if (!alarm || !scale)
        return save(nullptr, file);
    const int top = qMin(alarm->mapTo(&w, QPoint(0, 0)).y(), scale->mapTo(&w, QPoint(0, 0)).y());
    QPixmap shot = w.grab(QRect(0, top - 8, w.width(), w.height() - top + 8));
    shot = shot.scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    return shot.save(file, "PNG", 9);
}

bool connected(Session& session) {
    session.pick(5, "ASCII");
    session.pick(6, "open");
    return session.advanceUntil([&] { return session.window().statusWindow().isShownNow(); });
}

bool passEnded(Session& session) {
    return session.advanceUntil([&] {
        return session.settings().RequestKind == RequestKinds::None &&
               !session.window().statusWindow().isShownNow();
    });
}

// Data byte 1 of row 5 inverted through its sensor settings window; a pass follows.
bool invertRow5(Session& session) {
    MainWindow& w = session.window();
    session.click(&w, "bt_learn_5");
    session.advance(1500); // the row's inversion flag has arrived
    QWidget* settingsWindow = w.learnPanel().settingsWindow();
    if (!settingsWindow)
        return false;
    if (auto* invert = session.child<QAbstractButton>(settingsWindow, "chk_invert"))
        invert->setChecked(true);
    session.click(settingsWindow, "bt_set");
    return session.advanceUntil([&] { return w.statusWindow().isShownNow(); }) &&
           passEnded(session);
}

// A template chosen in sender row 3: its values show as edited until they are applied.
void chooseTemplate(Session& session, int row, int entry) {
    auto* list = session.window().findChild<QComboBox*>(QString("Telegram_%1").arg(row));
    if (!list)
        return;
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

// The sensor settings window of an empty row in manual mode, then the learn wait.
bool learnShots(Session& session, const std::function<QString(const char*)>& path) {
    MainWindow& w = session.window();
    session.click(&w, "bt_learn_3");
    session.advance(1500);
    QWidget* settingsWindow = w.learnPanel().settingsWindow();
    if (!settingsWindow)
        return save(nullptr, path("settings"));
    session.click(settingsWindow, "Manuell_1");
    if (auto* id = session.child<QLineEdit>(settingsWindow, "txtSensorIDeingabe"))
        id->setText("0183A2B4");
    session.click(settingsWindow, "ManuellIDOption_2");
    bool ok = save(settingsWindow, path("settings"));
    session.click(settingsWindow, "Manuell_0");
    session.click(settingsWindow, "bt_learn_sensor"); // learn by button: the wait begins
    ok &= session.advanceUntil([&] { return w.statusWindow().isShownNow(); }, 2000);
    session.advance(1200); // before the simulated sensor's learn telegram
    ok &= save(&w.statusWindow(), path("status-learn"));
    session.click(&w.statusWindow(), "Abbruch");
    session.advance(1000);
    return ok;
}

// The history window after three quarters of an hour of continuous reading: the trend of the
// temperature and humidity sensors (rows 2 and 5), data byte 1 scaled to -40..60 from the start.
bool historyShot(const QString& language, const QString& file) {
    Session session(language, 1);
    MainWindow& w = session.window();
    w.scaleFrame().minField(2)->setText("-40");
    w.scaleFrame().maxField(2)->setText("60");
    if (!connected(session) || !passEnded(session))
        return save(nullptr, file);
    session.click(&w, "chk_read");
    for (int s = 0; s < 45 * 60; ++s)
        session.advance(1000);
    if (auto* act = w.findChild<QAction*>("act_history"))
        act->trigger();
    HistoryWindow& history = w.historyWindow();
    for (int k : {0, 2, 3})
        if (auto* byte = session.child<QAbstractButton>(&history, QString("chk_byte_%1").arg(k)))
            byte->setChecked(false);
    history.selectRows({2, 5});
    history.resize(900, 640);
    QPixmap shot = history.grab();
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    return shot.save(file, "PNG", 9);
}

// The Ports window with the two example adapters, the first mapped to COM1 by its by-id link.
bool portsShot(const QString& language, const QString& file) {
    QFile::remove(userSettingsPath()); // each language starts without mappings of the user's
    Session session(language, 1);
    MainWindow& w = session.window();
    w.findChild<QAction*>("act_ports")->trigger();
    PortsWindow& ports = w.portsWindow();
    if (auto* devices = ports.findChild<QTableWidget*>("tbl_devices"))
        emit devices->cellClicked(0, 0);
    session.click(&ports, "bt_save"); // COM1, the first entry
    ports.resize(kPortsWidth, kPortsHeight);
    return save(&ports, file);
}

// The scan window a minute into a search for every gateway: the demo gateway found at the start
// settings, activity where only its parity differs, the progress at RTU 9600 No parity.
bool scanShot(const QString& language, const QString& file) {
    Session session(language, 1);
    MainWindow& w = session.window();
    ManualClock& clock = session.clock();
    w.setPortMaker([&clock](int) { return makeDemoGateway(clock); });
    if (auto* act = w.findChild<QAction*>("act_find_gateway"))
        act->trigger();
    ScanWindow& scan = w.scanWindow();
    if (auto* all = session.child<QCheckBox>(&scan, "chk_all"))
        all->setChecked(true);
    session.click(&scan, "bt_start");
    session.advance(62000);
    return save(&scan, file);
}

// The traffic window on a faulty line: RTU, every fifth answer with a wrong CRC and every
// eleventh lost, while the table is read continuously.
bool trafficShot(const QString& language, const QString& file) {
    FaultPlan faults;
    faults.corruptEvery = 5;
    faults.dropEvery = 11;
    Session session(language, 1, faults);
    MainWindow& w = session.window();
    if (auto* act = w.findChild<QAction*>("act_traffic"))
        act->trigger();
    session.pick(5, "RTU");
    session.pick(6, "open");
    // the pass goes on after each time-out; its end, not an idle line, tells that it is through
    if (!session.advanceUntil([&] { return !session.settings().FirstReadPending; }, 60000))
        return save(nullptr, file);
    session.click(&w, "chk_read");
    for (int s = 0; s < 20; ++s)
        session.advance(1000);
    TrafficWindow& traffic = w.trafficWindow();
    traffic.resize(1000, 560);
    session.advance(200); // the last batch
    QPixmap shot = traffic.grab().scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    return shot.save(file, "PNG", 9);
}

// The restore preview: the demo gateway saved with the technician's labels, then changed as
// in the field (row 5's sensor replaced, row 2 no longer inverted, row 9 lost, a sensor learned
// into row 12, a sender row changed), and the file read back against it; row 12 stays unticked.
bool restoreShot(const QString& language, const QString& file) {
    Session session(language, 1);
    MainWindow& w = session.window();
    if (!connected(session) || !passEnded(session))
        return save(nullptr, file);
    QDir dir(QDir::temp().filePath("qrx-doc-shots")); // a short path for the picture
    dir.mkpath(".");
    ScriptedFileDialogs dialogs;
    dialogs.path = dir.filePath("QTX40-2026-12-01.qrxcfg");
    w.backupMenu().setFileDialogs(dialogs);
    if (auto* act = w.findChild<QAction*>("act_backup"))
        act->trigger();
    session.advanceUntil([&] { return !w.backupMenu().saveWindow().running(); });
    w.backupMenu().saveWindow().close();
    ConfigLoad load = readConfigFile(dialogs.path);
    if (!load.config)
        return save(nullptr, file);
    const bool english = language == "1033";
    const char* labels[][2] = {{"Taster Eingang", "Rocker switch, entrance"},
                               {"Fensterkontakt Büro 1", "Window contact, office 1"},
                               {"Kühlraum 2 Temperatur", "Temperature, cold room 2"},
                               {nullptr, nullptr},
                               {nullptr, nullptr},
                               {"Kühlraum 2 Feuchte", "Humidity, cold room 2"}};
    for (int row = 0; row < 6; ++row)
        if (labels[row][english])
            load.config->sensors[row].label = QString::fromUtf8(labels[row][english]);
    load.config->sensors[2].inverted = true;
    writeConfigFile(dialogs.path, *load.config);
    GatewayModel& m = session.model();
    m.learnSensor(5, 0x07, 0x01836E15);
    m.handle(QByteArray::fromHex("0110005A000306000000000000")); // row 9 deleted
    m.learnSensor(12, 0x05, 0x0021D0A4);
    m.setSenderSlot(1, 0x06, 0xFF9A0001, {0, 0, 0, 0}, 0x00);
    session.advance(20000); // the pass after the save
    if (auto* act = w.findChild<QAction*>("act_restore"))
        act->trigger();
    RestoreWindow& restore = w.backupMenu().restoreWindow();
    session.advanceUntil([&] { return !restore.running(); });
    QTableWidget* table = restore.differenceTable();
    for (int line = 0; line < table->rowCount(); ++line)
        if (table->item(line, 0)->text() == "Sensor 12")
            table->item(line, 0)->setCheckState(Qt::Unchecked);
    restore.resize(820, 340);
    QPixmap shot = restore.grab();
    shot = shot.scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    const bool ok = shot.save(file, "PNG", 9);
    restore.close();
    dir.removeRecursively();
    return ok;
}

// Commissioning the demo gateway from a site file: one sensor written, a minute of listening in
// which the sensor of row 9 stays silent; the window, and the report as PDF for
// tools/screenshots.sh to turn its first page into a picture.
bool commissionShot(const QString& language, const QString& file, const QString& report) {
    Session session(language, 1);
    MainWindow& w = session.window();
    if (!connected(session) || !passEnded(session))
        return save(nullptr, file);
    const bool english = language == "1033";
    QDir dir(QDir::temp().filePath("qrx-doc-shots")); // a short path for the picture
    dir.mkpath(".");
    QFile csv(dir.filePath(english ? "office-building.csv" : "Bürohaus.csv"));
    csv.open(QIODevice::WriteOnly);
    csv.write(english ? "address,row,id,org,label,inverted\n"
                        "1,0,0021A3F1,05,\"Entrance, light switch\",\n"
                        "1,1,0081B220,06,Office 1 window,\n"
                        "1,2,01834C17,07,Cold room 2 temperature,\n"
                        "1,5,01835D02,07,Cold room 2 humidity,\n"
                        "1,9,0021C488,05,Meeting room switch,\n"
                        "1,,0081C3B5,06,Office 2 window,no\n"
                      : "Adresse;Zeile;ID;ORG;Bezeichnung;Invertiert\n"
                        "1;0;0021A3F1;05;Eingang, Lichttaster;\n"
                        "1;1;0081B220;06;Büro 1 Fenster;\n"
                        "1;2;01834C17;07;Kühlraum 2 Temperatur;\n"
                        "1;5;01835D02;07;Kühlraum 2 Feuchte;\n"
                        "1;9;0021C488;05;Besprechung Taster;\n"
                        "1;;0081C3B5;06;Büro 2 Fenster;nein\n");
    csv.close();
    session.model().silenceSensor(9);
    if (auto* act = w.findChild<QAction*>("act_commission"))
        act->trigger();
    CommissionWindow& win = w.commissionWindow();
    win.loadSite(csv.fileName());
    win.findChild<QLineEdit*>("txt_site")
        ->setText(english ? "Office building, Nordstraße 5" : "Bürohaus Nordstraße 5");
    win.findChild<QLineEdit*>("txt_technician")->setText("A. Becker");
    win.findChild<QSpinBox*>("txt_listen_minutes")->setValue(1);
    for (auto step : {&CommissionWindow::bt_verify_Click, &CommissionWindow::bt_apply_Click,
                      &CommissionWindow::bt_apply_Click, &CommissionWindow::bt_listen_Click}) {
        (win.*step)();
        session.advanceUntil([&] { return !win.run().running(); }, 120000);
    }
    win.resize(900, 420);
    QPixmap shot = win.grab().scaledToWidth(kMaxWidth, Qt::SmoothTransformation);
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    const bool ok = shot.save(file, "PNG", 9) && win.writeReport(report);
    win.close();
    dir.removeRecursively();
    return ok;
}

// Connect, the single pass under the status window, the table, the sender tab, the sensor
// settings window, the learn wait, the delete confirmation, the history, the traffic, the restore
// preview and the alarm.
bool takeShots(const QString& language, const QString& dir) {
    const QString suffix = language == "1033" ? "-en.png" : "-de.png";
    auto path = [&](const char* name) { return dir + "/" + name + suffix; };
    bool ok = true;
    {
        Session session(language, 1);
        MainWindow& w = session.window();
        ok &= connected(session);
        session.advance(2500); // the bar has moved on a little
        ok &= save(&w.statusWindow(), path("status-read"));
        ok &= passEnded(session);
        ok &= invertRow5(session);
        ok &= save(&w, path("main"));

        w.findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
        chooseTemplate(session, 3, 2);                               // "Button 2"
        ok &= save(w.findChild<QWidget*>("Frame1"), path("sender")); // the rows in full
        w.findChild<QTabWidget*>("SSTab1")->setCurrentIndex(0);

        ok &= learnShots(session, path);

        session.click(&w, "bt_delete_2");
        ok &= save(w.learnPanel().confirmWindow(), path("delete"));
        if (QWidget* confirm = w.learnPanel().confirmWindow())
            session.click(confirm, "Nein");
    }
    ok &= historyShot(language, path("history"));
    ok &= scanShot(language, path("scan"));
    ok &= trafficShot(language, path("traffic"));
    ok &= restoreShot(language, path("restore"));
    ok &= commissionShot(language, path("commission"),
                         dir + "/commission-report" + suffix.chopped(4) + ".pdf");
    {
        Session silent(language, 7); // nobody answers at address 7
        silent.pick(5, "ASCII");
        silent.pick(6, "open");
        silent.advance(6000);
        ok &= saveAlarm(silent.window(), path("alarm"));
    }
    ok &= portsShot(language, path("ports"));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    // the pictures show neither the user's own port mappings nor the user's name
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("QRX_USER_SETTINGS_FILE");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = takeShots("1033", dir);
    ok &= takeShots("1031", dir);
    return ok ? 0 : 1;
}
