// qrx-cli sender ROW --org --data --status: writes a sender row of the transceiver and reads it
// back. The gateway keeps its own sender ID: the write puts 0 into the ID registers.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class SenderCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Writes a sender row of the transceiver (QTX40), reads it back and says so: "
            "\"sender row 1: ORG 6, data 1,2,3,4, status 9, read back\". The row holds the "
            "telegram that transmit ROW sends. A receiver refuses it with exit status 2.");
        p.addPositionalArgument("ROW", "Sender row 0..7.");
        p.addOptions({
            {"org", "ORG byte: 5 rocker switch, 6 1 byte sensor, 7 4 byte sensor.", "5|6|7"},
            {"data",
             "Data bytes 0..3 as the sender tab names them (\"Data-Byte 0\" first), each "
             "0..255.",
             "D0,D1,D2,D3"},
            {"status", "Status byte 0..255.", "S"},
        });
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "sender", "ROW", error);
        if (!args)
            return error;
        const auto row = senderRowArgument((*args)[0], error);
        if (!row)
            return error;
        for (const char* needed : {"org", "data", "status"})
            if (!p.isSet(needed))
                return QString("sender needs --org, --data and --status");
        const auto org = parseSensorOrg(p.value("org"));
        if (!org)
            return QString("--org takes 5, 6 or 7, not \"%1\"").arg(p.value("org"));
        const QStringList data = p.value("data").split(',');
        if (data.size() != 4)
            return QString("--data takes four bytes D0,D1,D2,D3, not \"%1\"").arg(p.value("data"));
        for (int k = 0; k < 4; ++k) {
            const auto b =
                numberArgument(QString("data byte %1").arg(k), data[k].trimmed(), 0, 255, error);
            if (!b)
                return error;
            slot_.data[k] = uint8_t(*b); // "Data-Byte k" of the sender row
        }
        const auto status = numberArgument("--status", p.value("status"), 0, 255, error);
        if (!status)
            return error;
        row_ = *row, slot_.org = *org, slot_.status = uint8_t(*status);
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        if (c.refusedOnReceiver("sender"))
            return;
        c.client.writeSenderRow(row_, slot_, [this, &c](const auto& f) {
            c.finishAfter(f, [this, &c] {
                return senderRowText(row_, c.client.image.senders[size_t(row_)]) + ", read back";
            });
        });
    }

private:
    int row_ = 0;
    SenderSlot slot_;
};
} // namespace

std::unique_ptr<CliCommand> makeSenderCommand() {
    return std::make_unique<SenderCommand>();
}
