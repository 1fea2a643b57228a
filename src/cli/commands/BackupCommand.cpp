// qrx-cli backup FILE: reads the whole gateway and writes its configuration file (.qrxcfg), whole
// or not at all. Saving over an earlier configuration file keeps its labels and the fields this
// version does not know; a file that is something else is not overwritten.

#include "backup/Backup.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {
class BackupCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Reads the whole gateway (43 requests for a transceiver, 35 for a receiver) and "
            "writes its configuration to FILE: device type, response time, the 32 sensor rows "
            "(ORG, ID, inversion of data byte 1) and the 8 sender rows of a transceiver. The file "
            "is written whole or not at all. Saving over an earlier configuration file keeps its "
            "labels and fields; any other file is not overwritten. restore writes it back.");
        p.addPositionalArgument("FILE", "The configuration file, e.g. gateway.qrxcfg.");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "backup", "FILE", error);
        if (!args)
            return error;
        path_ = (*args)[0];
        const QFileInfo file(path_);
        if (!file.exists())
            return file.absoluteDir().exists()
                       ? std::nullopt
                       : std::optional(QString("backup: no folder %1").arg(file.absolutePath()));
        const ConfigLoad earlier = readConfigFile(path_);
        if (!earlier.config)
            return QString("backup: %1 is not a gateway configuration and is not overwritten (%2)")
                .arg(path_, clause(earlier.refusal->text(true)));
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        save_ = std::make_unique<SaveJob>(c.client, c.clock);
        save_->startIdentified(path_, {},
                               [&c](const std::optional<StepFailure>& f) { c.finishAfter(f); });
    }

private:
    QString path_;
    std::unique_ptr<SaveJob> save_;
};
} // namespace

std::unique_ptr<CliCommand> makeBackupCommand() {
    return std::make_unique<BackupCommand>();
}
