// The tool's real program path for end-to-end tests: the main window (offscreen) with the device
// adapter and the real-time clock, on a serial device given by its path. It connects as a user
// would, waits for the end of the first table pass and prints what the window shows.
//   qrx_e2e_window <device> <ASCII|RTU> <address> [timeout ms]

#include "app/MainWindow.h"
#include "app/StartRoutine.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "ports/PortSelector.h"

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
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <device> <ASCII|RTU> <address> [timeout ms]\n", argv[0]);
        return 2;
    }
    const QString device = argv[1], mode = argv[2], address = argv[3];
    const int timeoutMs = argc > 4 ? atoi(argv[4]) : 60000;
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
    pick(window, 1, "9600");
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
        app.quit();
    });
    watch.start(100);
    app.exec();
    return rc;
}
