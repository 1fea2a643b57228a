// qrx-cli identify: what the gateway is. The identification has run before every command, so
// this only prints it.

#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class IdentifyCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Prints the device type (QRX40 receiver or QTX40 transceiver), the module type "
            "register 0x0141 and the minimal response time in ms, one per line:\n"
            "device QTX40\nmodule_type 0x0041\nresponse_time 20");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        return arguments(p, "identify", "", error) ? std::nullopt : std::optional(error);
    }
    void run(CommandContext& c) override {
        c.io.data(identificationText(c.client.image));
        c.finish(kExitDone);
    }
};
} // namespace

std::unique_ptr<CliCommand> makeIdentifyCommand() {
    return std::make_unique<IdentifyCommand>();
}
