// qrx-cli restore FILE [--dry-run] [--yes]: reads the file (a refused file ends with 2 before
// anything is sent) and the gateway, and prints what differs, row by row and field by field.
// Without --yes that is all (exit 3 when something differs, 0 when nothing does); with --yes the
// rows that differ are written, each read back, and the result of every row is printed: written
// and verified, failed with the reason, or not written because the gateway fell silent first.

#include "backup/Backup.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>
#include <algorithm>

namespace {
class RestoreCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Reads the configuration FILE (as backup wrote it) and the gateway, and prints what "
            "differs: one line per row, what the gateway holds → what the file holds. Without "
            "--yes that is a dry run: nothing is written, standard error says so when something "
            "differs or --dry-run was given, and the exit status is 3 when a row that can be "
            "written differs, 0 when none does (a sender row of ORG 00 cannot be written and is "
            "listed with the reason). With --yes the rows that differ are written and read back; "
            "one line "
            "per row says \"written and verified\", \"failed: <reason>\" or \"not written\" (the "
            "gateway fell silent before its turn), the last line counts them; the exit status is "
            "0 when every row was verified, else 1. The sender rows of a file are skipped on a "
            "receiver, with a note. A file that is not a gateway configuration, or holds a bad "
            "value, is refused (exit 2) with the field, and nothing is sent.");
        p.addPositionalArgument("FILE", "The configuration file.");
        p.addOptions({
            {"dry-run", "Only print the differences (the default without --yes)."},
            {"yes", "Write the rows that differ."},
        });
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "restore", "FILE", error);
        if (!args)
            return error;
        write_ = p.isSet("yes");
        dryRun_ = p.isSet("dry-run");
        if (write_ && dryRun_)
            return QString("restore: --dry-run and --yes exclude each other");
        const QString path = (*args)[0];
        ConfigLoad load = readConfigFile(path);
        if (!load.config) {
            const QString why = clause(load.refusal->text(true));
            return load.refusal->kind == RefusalKind::Unreadable
                       ? "restore: " + why
                       : QString("restore: %1 refused: %2").arg(path, why);
        }
        file_ = std::move(*load.config);
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c_ = &c;
        c.client.readTables({}, [this](const std::optional<StepFailure>& f) {
            if (c_->finished())
                return;
            if (f)
                return c_->finishAfter(f);
            compared(compareConfig(file_, c_->client.image));
        });
    }
    void interrupt(CommandContext& c) override {
        if (!job_ || !job_->running())
            return CliCommand::interrupt(c);
        interrupted_ = true;
        c.complain("interrupted");
        job_->cancel(); // the rows written so far are reported
    }

private:
    void compared(const ConfigDifferences& differences) {
        print(differenceLines(differences, true));
        // rows that cannot be written are listed with their reason, and leave nothing to do
        if (differences.writableRows() == 0) {
            if (dryRun_)
                c_->complain("restore: dry run, nothing was written");
            return c_->finish(kExitDone);
        }
        if (!write_) {
            const int n = differences.writableRows();
            c_->complain(QString("restore: dry run, nothing was written: %1 %2 (--yes writes %3)")
                             .arg(n)
                             .arg(n == 1 ? "row differs" : "rows differ", n == 1 ? "it" : "them"));
            return c_->finish(kExitDifferences);
        }
        std::vector<RowWrite> plan = planRestore(file_, differences);
        job_ = std::make_unique<RestoreJob>(c_->client);
        job_->keepTimeOut(c_->options.timeoutMs.has_value());
        job_->start(std::move(plan), {},
                    [this](const std::vector<RowResult>& results) { restored(results); });
    }
    void restored(const std::vector<RowResult>& results) {
        print(resultLines(results, true));
        const auto failed = std::find_if(results.begin(), results.end(), [](const RowResult& r) {
            return r.outcome == RowOutcome::Failed;
        });
        if (failed != results.end() && !interrupted_)
            c_->complain("restore: " + failed->reason());
        c_->finish(interrupted_                                    ? kExitInterrupted
                   : verifiedCount(results) == int(results.size()) ? kExitDone
                                                                   : kExitFailed);
    }
    void print(const QStringList& lines) { c_->io.data(lines.join('\n') + '\n'); }

    GatewayConfig file_;
    bool write_ = false;
    bool dryRun_ = false;
    bool interrupted_ = false;
    CommandContext* c_ = nullptr;
    std::unique_ptr<RestoreJob> job_;
};
} // namespace

std::unique_ptr<CliCommand> makeRestoreCommand() {
    return std::make_unique<RestoreCommand>();
}
