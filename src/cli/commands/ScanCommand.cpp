// qrx-cli scan: finds the gateway on the port of --port (no --address), over modes, baud rates,
// parities and addresses, the usual set-ups first (scan/ScanPlan.h). Prints the gateways found
// and the line settings with activity, as text or JSON; exit 0 when a gateway was found, 1 when
// none. Ctrl-C stops the scan at once and prints what it found so far.

#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"
#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "scan/ScanOutput.h"

#include <QCommandLineParser>

namespace {
class ScanGatewayCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Finds the gateway: asks each address at each line setting for the module type "
            "(holding register 0x0141), ASCII 9600 even first, then RTU 9600 even, then the other "
            "parities and the baud rates 19200, 38400, 57600, 115200, 4800, 2400 and 1200; per "
            "line setting the addresses in order. A probe waits its line time plus the margin; "
            "everything on an empty line takes about 20 minutes, so narrow the lists down where "
            "you can. Stops at the first gateway unless --all. Bytes that make no valid answer "
            "are reported as activity at that line setting: something is there, with other "
            "settings. The line options --mode, --baud, --parity, --address, --timeout and "
            "--retries do not apply.\n"
            "Exit status: 0 a gateway was found, 1 none; Ctrl-C stops at once (130).");
        addScanOptions(p);
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        if (!arguments(p, "scan", "", error))
            return error;
        auto command = scanCommandFrom(p);
        if (const QString* bad = std::get_if<QString>(&command))
            return *bad;
        scan_ = std::get<ScanCommand>(command);
        return std::nullopt;
    }
    bool needsAddress() const override { return false; }
    void run(CommandContext& c) override {
        c_ = &c;
        const SerialPort& port = c.line.port();
        const ScanOptions o = scanOptionsFor(scan_.options, port.kind(), port.networkMarginMs());
        if (!setsLine(port.kind()))
            c.complain(QString("scan: %1 keeps its own baud rate and parity: %2 only")
                           .arg(c.options.port, port.kind() == PortKind::ModbusTcp
                                                    ? "addresses"
                                                    : "modes and addresses"));
        c.complain(QString("scan: %1 line settings x %2 addresses, at most %3")
                       .arg(scanLines(o).size())
                       .arg(scanAddresses(o).size())
                       .arg(scanDurationText(scanDurationMs(o))));
        scanner_ = std::make_unique<GatewayScan>(c.line, c.clock);
        GatewayScan::Handlers handlers;
        handlers.finished = [this](const ScanReport& report) { finished(report); };
        scanner_->start(o, std::move(handlers));
    }
    void interrupt(CommandContext& c) override {
        interrupted_ = true;
        c.complain("interrupted");
        if (scanner_)
            scanner_->cancel(); // its report follows at once
    }

private:
    void finished(const ScanReport& report) {
        c_->io.data(scan_.json ? QString::fromUtf8(scanJson(report)) : scanText(report));
        c_->finish(interrupted_ ? kExitInterrupted : scanExitCode(report));
    }

    ScanCommand scan_;
    CommandContext* c_ = nullptr;
    std::unique_ptr<GatewayScan> scanner_;
    bool interrupted_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makeScanCommand() {
    return std::make_unique<ScanGatewayCommand>();
}
