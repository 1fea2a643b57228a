// qrx-cli commission SITE.csv: checks every gateway of the site file against it, in address
// order on the one line; --apply writes the missing sensors (each read back), --listen DURATION
// then counts each sensor's telegrams for that long. Prints a line per expected sensor and per
// extra sensor, then the summary; --report and --json write the handover report. The file is
// read and checked before anything is sent (exit 2); exit 0 when every sensor is verified (and
// has sent, with --listen), 1 for a deficiency or a gateway that did not answer.

#include "backup/ConfigFile.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"
#include "commission/CommissionReport.h"
#include "commission/CommissionTexts.h"
#include "commission/Commissioning.h"
#include "commission/ReportJson.h"
#include "commission/ReportPdf.h"
#include "link/LineSession.h"
#include "platform/AtomicFile.h"
#include "platform/Timer.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {
// "10m", "30s", "1h" or seconds alone; 1 s to 24 h.
std::optional<int64_t> durationMs(const QString& text) {
    static const QRegularExpression form("^(\\d{1,6})([smh]?)$");
    const auto m = form.match(text.trimmed().toLower());
    if (!m.hasMatch())
        return std::nullopt;
    const int64_t unit = m.captured(2) == "h" ? 3600000 : m.captured(2) == "m" ? 60000 : 1000;
    const int64_t ms = m.captured(1).toLongLong() * unit;
    return ms >= 1000 && ms <= 24 * 3600000 ? std::optional<int64_t>(ms) : std::nullopt;
}

// "  1   5  0021A3F1  05  verified, 4 telegrams  "Room 1.01 switch""
QString sensorLine(const SensorCheck& s) {
    const int row = s.found() ? s.row : s.expected.row.value_or(-1);
    QString state = stateText(s, true);
    if (s.listen.watched)
        state += QString(", %1 telegram%2")
                     .arg(s.listen.telegrams)
                     .arg(s.listen.telegrams == 1 ? "" : "s");
    return QString("%1 %2  %3  %4  %5%6\n")
        .arg(s.expected.address, 3)
        .arg(row >= 0 ? QString::number(row) : "-", 3)
        .arg(s.expected.idText(), s.expected.orgText(), state,
             s.expected.label.isEmpty() ? QString() : "  \"" + s.expected.label + "\"");
}

class CommissionCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Commissions a site: for each gateway of the site file SITE.csv, in address order, "
            "reads the whole gateway and compares it row by row with the file (docs/"
            "commissioning.md: columns address, row, id, org, label, inverted, in English or "
            "German, comma or semicolon). Prints a line per expected sensor (address, row, ID, "
            "ORG, state, label) and one per sensor learned but not in the file, then the summary "
            "(\"31 of 32 sensors verified, 1 deficiency\"). --apply writes the missing sensors "
            "into their row (or the first free row when the file leaves it empty) and sets the "
            "inversion flags, each read back; a row that holds another sensor is left alone. "
            "--listen then reads the learned rows for that long and counts each sensor's "
            "telegrams. The addresses come from the file; --address only for a file without an "
            "address column. A bad file is refused with its line and column (exit 2) before "
            "anything is sent.\n"
            "Exit status: 0 every sensor verified (and sent, with --listen); 1 a deficiency, or a "
            "gateway did not answer; 2 bad file or usage.");
        p.addPositionalArgument("SITE.csv", "The site file.");
        p.addOptions({
            {"apply", "Write the missing sensors and the inversion flags."},
            {"listen", "Then count telegrams for this long: 30s, 10m, 1h.", "duration"},
            {"report", "Write the handover report as PDF.", "file.pdf"},
            {"json", "Write the report's facts as JSON.", "file.json"},
            {"site", "The site's name for the report.", "name"},
            {"technician", "The technician's name for the report.", "name"},
            {"language", "The report's language: de or en. Default en.", "de|en", "en"},
        });
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "commission", "SITE.csv", error);
        if (!args)
            return error;
        apply_ = p.isSet("apply");
        if (p.isSet("listen")) {
            listenMs_ = durationMs(p.value("listen"));
            if (!listenMs_)
                return QString("--listen takes a duration from 1s to 24h such as 30s, 10m or 1h, "
                               "not \"%1\"")
                    .arg(p.value("listen"));
        }
        const QString language = p.value("language").toLower();
        if (language != "de" && language != "en")
            return QString("--language takes de or en, not \"%1\"").arg(p.value("language"));
        english_ = language == "en";
        reportPath_ = p.value("report");
        jsonPath_ = p.value("json");
        header_.site = p.value("site");
        header_.technician = p.value("technician");
        SiteLoad load = readSiteFile((*args)[0]);
        if (!load.site) {
            const QString why = clause(load.refusal->text(true));
            return load.refusal->kind == SiteRefusalKind::Unreadable
                       ? "commission: " + why
                       : QString("commission: %1 refused: %2").arg((*args)[0], why);
        }
        site_ = std::move(*load.site);
        return std::nullopt;
    }
    bool needsAddress() const override { return false; }
    std::optional<QString> checkLine(const LineOptions& line) const override {
        if (site_.addressColumn && line.address)
            return QString("commission: the site file names the addresses; --address is only "
                           "for a file without an address column");
        if (!site_.addressColumn && !line.address)
            return QString("commission: the site file has no address column; --address names "
                           "the gateway, 1..247");
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c_ = &c;
        if (!site_.addressColumn)
            site_.placeAt(c.options.address);
        header_.port = c.options.port;
        header_.line = c.line.line();
        header_.toolVersion = toolVersion();
        const LineOptions& o = c.options;
        run_ = std::make_unique<Commissioning>(
            c.line.link(), c.clock, [o](std::optional<uint16_t> responseTimeMs) {
                return ExchangeOptions{
                    o.timeoutMs.value_or(defaultTimeoutMs(o.line, responseTimeMs)), o.retries};
            });
        run_->setSite(site_);
        run_->verify({{}, {}, [this] { verified(); }});
    }
    void interrupt(CommandContext& c) override {
        interrupted_ = true;
        c.complain("interrupted");
        run_ ? run_->cancel() : c.finish(kExitInterrupted);
    }

private:
    void verified() {
        if (interrupted_ || !apply_)
            return applied();
        run_->apply(run_->planApply(), {{}, {}, [this] { applied(); }});
    }
    void applied() {
        if (interrupted_ || !listenMs_)
            return done();
        c_->complain(QString("commission: listening for %1 s").arg(*listenMs_ / 1000));
        run_->listen(*listenMs_, {{}, {}, [this] { done(); }});
    }
    void done() {
        stampLocalTime(header_, c_->clock.wallMs());
        const CommissionReport report = makeReport(header_, *run_);
        c_->io.data(outputText(report));
        if (interrupted_)
            return c_->finish(kExitInterrupted);
        bool written = true;
        if (!reportPath_.isEmpty())
            written = tell(writeReportPdf(reportPath_, report, english_), reportPath_) && written;
        if (!jsonPath_.isEmpty())
            written =
                tell(writeFileAtomically(jsonPath_, reportJson(report, english_)), jsonPath_) &&
                written;
        c_->finish(written && countReport(report).passed() ? kExitDone : kExitFailed);
    }
    bool tell(const std::optional<QString>& failure, const QString& path) {
        if (failure)
            c_->complain(QString("commission: cannot write %1: %2").arg(path, *failure));
        return !failure;
    }
    QString outputText(const CommissionReport& report) const {
        QString out;
        for (const GatewayCheck& g : report.gateways) {
            out += g.answered ? QString("gateway %1: %2, response time %3 ms\n")
                                    .arg(g.address)
                                    .arg(g.image.deviceText())
                                    .arg(g.image.responseTimeMs)
                              : QString("gateway %1: %2\n")
                                    .arg(g.address)
                                    .arg(gatewayFailureText(g.failure, true));
            for (const SensorCheck& s : g.sensors)
                out += sensorLine(s);
            for (const SensorCheck& s : g.extras)
                out += sensorLine(s);
        }
        return out + summaryText(report, true) + "\n";
    }

    SiteFile site_;
    bool apply_ = false;
    std::optional<int64_t> listenMs_;
    bool english_ = true;
    QString reportPath_, jsonPath_;
    ReportHeader header_;
    CommandContext* c_ = nullptr;
    std::unique_ptr<Commissioning> run_;
    bool interrupted_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makeCommissionCommand() {
    return std::make_unique<CommissionCommand>();
}
