// qrx-cli: every gateway operation from a shell. Composes the tool with the event loop, the real
// clock and the real port; Ctrl-C (SIGINT, or SIGTERM) reaches the tool through a self-pipe, so
// that a watch ends cleanly and learn-button switches learn mode off.

#include "cli/CliTool.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
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
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
