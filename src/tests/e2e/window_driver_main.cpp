// The tool's real program path for end-to-end tests: the main window (offscreen) with the device
// adapter and the real-time clock, on a serial device given by its path. It connects as a user
// would, waits for the end of the first table pass and prints what the window shows.
//   qrx_e2e_window <device> <ASCII|RTU> <address> [timeout ms] [baud] [then]
// With `then` (closed, idle, read, traffic or history) it goes on after the pass for
// tools/measure-cpu.py, until it is stopped: the port closed, connected and idle, or reading
// continuously, alone or with that window open (the history's rows 0..3 chosen).

#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "history/HistoryWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "ports/PortSelector.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

namespace {
void pick(MainWindow& w, int list, const QString& text) {
    auto* l = w.findChild<QComboBox*>(QString("Combo_Port_%1").arg(list));
    l->setCurrentIndex(l->findText(text));
    emit l->activated(l->currentIndex());
}

QString text(MainWindow& w, const QString& name) {
    if (auto* l = w.findChild<QLabel*>(name))
        return l->text();
    if (auto* e = w.findChild<QLineEdit*>(name))
        return e->text();
    if (auto* c = w.findChild<QComboBox*>(name))
        return c->currentText();
    return "?";
}

void printWindow(MainWindow& w) {
    std::printf("devType %s\n", qPrintable(text(w, "txt_devType")));
    std::printf("response %s\n", qPrintable(text(w, "txt_min_response")));
    std::printf("alarm %s\n", qPrintable(text(w, "lbl_Alarm")));
    for (int r = 0; r < 32; ++r) {
        QStringList data;
        for (int k = 1; k <= 4; ++k)
            data << text(w, QString("txt_data_%1_%2").arg(k).arg(r));
        std::printf("sensor %d %s %s %s\n", r, qPrintable(text(w, QString("txt_org_%1").arg(r))),
                    qPrintable(text(w, QString("txt_id_%1").arg(r))), qPrintable(data.join(' ')));
    }
    for (int r = 0; r < 8; ++r) {
        QStringList values;
        for (const char* f : {"txt_snd_data_1", "txt_snd_data_2", "txt_snd_data_3",
                              "txt_snd_data_4", "txt_snd_status"})
            values << text(w, QString("%1_%2").arg(f).arg(r));
        std::printf("sender %d %s %s %s\n", r, qPrintable(text(w, QString("Combo1_%1").arg(r))),
                    qPrintable(text(w, QString("txt_sender_id_%1").arg(r))),
                    qPrintable(values.join(' ')));
    }
    std::fflush(stdout);
}

// After the pass: go on as `then` says; false when there is nothing to go on with.
bool goOn(MainWindow& w, const QString& then) {
    if (then.isEmpty())
        return false;
    if (then == "closed")
        pick(w, 6, "close");
    else if (then != "idle")
        w.findChild<QCheckBox*>("chk_read")->setChecked(true);
    if (then == "traffic")
        w.findChild<QAction*>("act_traffic")->trigger();
    if (then == "history") {
        w.findChild<QAction*>("act_history")->trigger();
        w.historyWindow().selectRows({0, 1, 2, 3}); // 16 lines in the chart
    }
    std::printf("measuring %s\n", qPrintable(then));
    std::fflush(stdout);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s <device> <ASCII|RTU> <address> [timeout ms] [baud] [then]\n",
                     argv[0]);
        return 2;
    }
    const QString device = argv[1], mode = argv[2], address = argv[3];
    const int timeoutMs = argc > 4 ? atoi(argv[4]) : 60000;
    const QString baud = argc > 5 ? argv[5] : "9600", then = argc > 6 ? argv[6] : "";
    const StoredSettingReader read = [&device](const QString& key, const QString& value) {
        if (key.endsWith("\\Ports") && value == "COM4")
            return device;
        return QString();
    };
    ProgramSettings settings;
    applyStartValues(settings);
    QtClock clock;
    PortSelector MSComm1([]() -> std::unique_ptr<SerialPort> { return nullptr; }, read);
    RecordingMessageBoxes messages;
    RecordingDocumentOpener opener;
    MainWindow window(settings, clock, MSComm1, messages, read, opener);
    runStartRoutine(settings, window, MSComm1);

    pick(window, 0, "COM4");
    pick(window, 1, baud);
    window.findChild<QLineEdit*>("txt_Modbus_adress")->setText(address);
    pick(window, 5, mode);
    pick(window, 6, "open");

    QElapsedTimer elapsed;
    elapsed.start();
    QTimer watch;
    int rc = 1;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const bool passEnded = !settings.FirstReadPending &&
                               settings.RequestKind == RequestKinds::None &&
                               !window.timers().Timer1.isEnabled();
        if (!passEnded && elapsed.elapsed() < timeoutMs)
            return;
        rc = passEnded ? 0 : 1;
        std::printf("pass %s after %lld ms\n", passEnded ? "ended" : "timed out",
                    static_cast<long long>(elapsed.elapsed()));
        std::printf("connected %d\n",
                    window.findChild<QCheckBox*>("chk_connected")->isChecked() ? 1 : 0);
        for (const QString& m : messages.shown)
            std::printf("message %s\n", qPrintable(QString(m).replace('\n', ' ')));
        printWindow(window);
        watch.stop();
        if (!passEnded || !goOn(window, then))
            app.quit();
    });
    watch.start(100);
    app.exec();
    return rc;
}
