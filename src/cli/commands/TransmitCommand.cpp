// qrx-cli transmit ROW: the transceiver transmits the telegram of a sender row once. The row is
// read first: a row that holds ORG 00 holds no telegram, which the user is told.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class TransmitCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "The transceiver (QTX40) transmits the radio telegram of a sender row once and says "
            "what it sent: \"sender row 2: ORG 5, data 0,0,0,80, status 48, transmitted\". A row "
            "that holds ORG 00 holds no telegram: a warning says so (sender ROW fills it). A "
            "receiver refuses it with exit status 2.");
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
        c.client.readSenderSlot(row_, [this, &c](const std::optional<StepFailure>& f) {
            if (f)
                return c.finishAfter(f);
            const SenderSlot slot = c.client.image.senders[size_t(row_)];
            if (slot.org == 0)
                c.complain(QString("transmit: sender row %1 holds ORG 00, no telegram; "
                                   "sender %1 --org --data --status fills it")
                               .arg(row_));
            c.client.transmit(row_, [this, &c, slot](const auto& f) {
                c.finishAfter(f,
                              [this, slot] { return senderRowText(row_, slot) + ", transmitted"; });
            });
        });
    }

private:
    int row_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeTransmitCommand() {
    return std::make_unique<TransmitCommand>();
}
