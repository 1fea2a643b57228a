// qrx-cli response-time [MS]: prints the gateway's minimal response time (read with the
// identification), or writes a new one and reads it back.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class ResponseTimeCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription("Without MS prints the gateway's minimal response time in "
                                    "ms; with MS sets it, reads it back and says so: \"response "
                                    "time 300 ms, read back\".");
        p.addPositionalArgument("MS", "New response time in ms, 5..65535.", "[MS]");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        const QStringList args = p.positionalArguments();
        if (args.size() > 1)
            return QString("response-time takes at most one value, MS");
        if (args.isEmpty())
            return std::nullopt;
        QString error;
        const auto ms = numberArgument("response-time", args[0], 5, 65535, error);
        if (!ms)
            return error;
        newMs_ = uint16_t(*ms);
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        if (!newMs_) {
            c.io.data(QString("%1\n").arg(c.client.image.responseTimeMs));
            c.finish(kExitDone);
            return;
        }
        c.allowResponseTime(*newMs_); // the write's own answer may come after the new time
        c.client.setResponseTime(*newMs_, [&c](const auto& f) {
            c.finishAfter(f, [&c] {
                return QString("response time %1 ms, read back").arg(c.client.image.responseTimeMs);
            });
        });
    }

private:
    std::optional<uint16_t> newMs_;
};
} // namespace

std::unique_ptr<CliCommand> makeResponseTimeCommand() {
    return std::make_unique<ResponseTimeCommand>();
}
