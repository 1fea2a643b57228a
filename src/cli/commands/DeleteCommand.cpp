// qrx-cli delete ROW: empties a sensor slot (ORG 00, ID 00000000) and reads it back.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class DeleteCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription("Deletes the sensor of a row: writes ORG 00 and ID 00000000 "
                                    "into its slot, reads the slot back and says so: \"row 9: "
                                    "deleted (ORG 00, ID 00000000), read back\".");
        p.addPositionalArgument("ROW", "Sensor row 0..31.");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "delete", "ROW", error);
        const auto row = args ? sensorRowArgument((*args)[0], error) : std::nullopt;
        row_ = row.value_or(0);
        return row ? std::nullopt : std::optional(error);
    }
    void run(CommandContext& c) override {
        c.client.writeSensorEntry(row_, 0, 0, [this, &c](const auto& f) {
            c.finishAfter(f, [this] {
                return QString("row %1: deleted (ORG 00, ID 00000000), read back").arg(row_);
            });
        });
    }

private:
    int row_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeDeleteCommand() {
    return std::make_unique<DeleteCommand>();
}
