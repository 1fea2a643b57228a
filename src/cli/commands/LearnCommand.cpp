// qrx-cli learn ROW ID ORG [--replace]: the manual learn-in. Reads the row's slot first: a row
// that holds another sensor is left as it is (exit 2) unless --replace. Then writes ORG and ID,
// reads the slot back and says so.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class LearnCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Learns a sensor into a row by its ID and ORG byte, reads the slot back, checks it "
            "and says so: \"row 5: learned 0012A3F0, ORG 05, read back\". A row that holds "
            "another sensor is left as it is, with the sensor it holds named and exit status 2, "
            "unless --replace is given.");
        p.addPositionalArgument("ROW", "Sensor row 0..31.");
        p.addPositionalArgument("ID", "Sensor ID, 8 hex digits, e.g. 0021A3F1.");
        p.addPositionalArgument("ORG",
                                "ORG byte: 05 rocker switch, 06 1 byte sensor, 07 4 byte sensor.");
        p.addOption({"replace", "Replace the sensor the row holds."});
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
        row_ = *row, id_ = *id, org_ = *org, replace_ = p.isSet("replace");
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c.client.readSensorSlot(row_, [this, &c](const std::optional<StepFailure>& f) {
            if (f)
                return c.finishAfter(f);
            const SensorSlot& held = c.client.image.sensors[size_t(row_)];
            if (held.learned() && (held.id != id_ || held.org != org_) && !replace_) {
                c.complain(QString("learn: row %1 holds sensor %2, ORG %3; nothing written "
                                   "(--replace replaces it)")
                               .arg(row_)
                               .arg(held.idText(), held.orgText()));
                return c.finish(kExitUsage);
            }
            write(c);
        });
    }

private:
    void write(CommandContext& c) {
        c.client.writeSensorEntry(row_, org_, id_, [this, &c](const std::optional<StepFailure>& f) {
            c.finishAfter(f, [this, &c] {
                const SensorSlot& s = c.client.image.sensors[size_t(row_)];
                return QString("row %1: learned %2, ORG %3, read back")
                    .arg(row_)
                    .arg(s.idText(), s.orgText());
            });
        });
    }

    int row_ = 0;
    uint32_t id_ = 0;
    uint8_t org_ = 0;
    bool replace_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makeLearnCommand() {
    return std::make_unique<LearnCommand>();
}
