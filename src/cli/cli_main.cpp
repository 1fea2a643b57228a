// qrx-cli: every gateway operation from a shell. Composes the tool with the event loop, the real
// clock and the real port; Ctrl-C (SIGINT, or SIGTERM) reaches the tool through a self-pipe, so
// that a watch ends cleanly and learn-button switches learn mode off.

#include "cli/CliTool.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const int interrupted = errno; // the code the signal interrupted may be about to read it
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
    errno = interrupted;
}

class ProcessStreams : public CliStreams {
public:
    void data(const QString& text) override { std::fputs(text.toUtf8().constData(), stdout); }
    void message(const QString& line) override {
        std::fflush(stdout); // in order with the data when both go to one file
        std::fputs((line + '\n').toUtf8().constData(), stderr);
    }
    void flush() override { std::fflush(stdout); }
    bool dataOnTerminal() const override { return isatty(STDOUT_FILENO) == 1; }
};

// The handover report's PDF needs the fonts of a QGuiApplication: then one without a display.
bool drawsPages(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0 || std::strncmp(argv[i], "--report=", 9) == 0)
            return true;
    return false;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    if (!drawsPages(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // the platform's own notes on a headless box ("XDG_RUNTIME_DIR not set") are no message of
    // ours: the tool writes its messages itself
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fputs(qPrintable("qrx-cli: " + text + '\n'), stderr);
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}
} // namespace

int main(int argc, char** argv) {
    const auto application = makeApplication(argc, argv);
    QCoreApplication& app = *application;
    QtClock clock;
    ProcessStreams io;
    CliTool tool(clock, io, [&clock](const QString& name) { return makeCliPort(name, clock); });

    std::unique_ptr<QSocketNotifier> interrupts;
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        interrupts = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupts.get(), &QSocketNotifier::activated, &app, [&tool] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
            tool.interrupt();
        });
    }

    std::optional<int> exitCode;
    tool.start(app.arguments(), [&exitCode](int code) {
        exitCode = code;
        QCoreApplication::exit(code);
    });
    if (exitCode) // help, bad usage: done before the event loop
        return *exitCode;
    return app.exec();
}
