// qrx-cli transmit ROW: the transceiver transmits the telegram of a sender row once.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class TransmitCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription("The transceiver (QTX40) transmits the radio telegram of a "
                                    "sender row once. A receiver refuses it with exit status 2.");
        p.addPositionalArgument("ROW", "Sender row 0..7.");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "transmit", "ROW", error);
        const auto row = args ? senderRowArgument((*args)[0], error) : std::nullopt;
        row_ = row.value_or(0);
        return row ? std::nullopt : std::optional(error);
    }
    void run(CommandContext& c) override {
        if (c.refusedOnReceiver("transmit"))
            return;
        c.client.transmit(row_, [&c](const auto& f) { c.finishAfter(f); });
    }

private:
    int row_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeTransmitCommand() {
    return std::make_unique<TransmitCommand>();
}
