// qrx-cli learn ROW ID ORG: the manual learn-in. Writes ORG and ID into the row's slot, reads the
// slot back and prints it.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class LearnCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Learns a sensor into a row by its ID and ORG byte, reads the slot back, checks it "
            "and prints it: row, ORG, ID, data bytes 0..3, time value.");
        p.addPositionalArgument("ROW", "Sensor row 0..31.");
        p.addPositionalArgument("ID", "Sensor ID, 8 hex digits, e.g. 0021A3F1.");
        p.addPositionalArgument("ORG",
                                "ORG byte: 05 rocker switch, 06 1 byte sensor, 07 4 byte sensor.");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "learn", "ROW ID ORG", error);
        if (!args)
            return error;
        const auto row = sensorRowArgument((*args)[0], error);
        if (!row)
            return error;
        const auto id = parseSensorId((*args)[1]);
        if (!id)
            return QString("ID takes 8 hex digits, e.g. 0021A3F1, not \"%1\"").arg((*args)[1]);
        const auto org = parseSensorOrg((*args)[2]);
        if (!org)
            return QString("ORG takes 05, 06 or 07, not \"%1\"").arg((*args)[2]);
        row_ = *row, id_ = *id, org_ = *org;
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c.client.writeSensorEntry(row_, org_, id_, [this, &c](const std::optional<StepFailure>& f) {
            if (!f)
                c.io.data(sensorLine(row_, c.client.image.sensors[row_]) + '\n');
            c.finishAfter(f);
        });
    }

private:
    int row_ = 0;
    uint32_t id_ = 0;
    uint8_t org_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeLearnCommand() {
    return std::make_unique<LearnCommand>();
}
