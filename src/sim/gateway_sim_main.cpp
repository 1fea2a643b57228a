// qrx-gateway-sim: the simulated gateway on a pseudo-terminal, for the tool and other Modbus
// masters. Ends on SIGINT or SIGTERM and removes its link.

#include "sim/PtyGateway.h"
#include "sim/SimOptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

void print(const QString& line) {
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto parsed = parseSimOptions(app.arguments());
    if (const QString* error = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "qrx-gateway-sim: %s\n\n%s", qPrintable(*error),
                     qPrintable(simUsage()));
        return 2;
    }
    const SimOptions& options = std::get<SimOptions>(parsed);
    if (options.help) {
        print(simUsage());
        return 0;
    }
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    QSocketNotifier stopRequests(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequests, &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::quit(); });

    PtyGateway gateway(options, print);
    gateway.onLost = [] { QCoreApplication::exit(3); };
    const QString error = gateway.start();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "qrx-gateway-sim: %s\n", qPrintable(error));
        return 1;
    }
    print(QString("serving %1 %2 %3 %4 at address %5 on %6%7")
              .arg(options.variant == GatewayVariant::Transceiver ? "QTX40" : "QRX40",
                   options.mode == LineMode::Ascii ? "ASCII" : "RTU")
              .arg(options.baud)
              .arg(options.parity == 'N'   ? "none"
                   : options.parity == 'O' ? "odd"
                                           : "even")
              .arg(addressesText(options.addresses))
              .arg(gateway.slavePath(),
                   options.link.isEmpty() ? "" : " (link " + options.link + ")"));
    const int rc = app.exec();
    print("stopped");
    return rc;
}
