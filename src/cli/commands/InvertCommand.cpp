// qrx-cli invert ROW on|off: the gateway's inversion of data byte 1 of a sensor row, written and
// read back.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class InvertCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription("Switches the gateway's inversion of data byte 1 of a sensor "
                                    "row on or off, reads the flag back and says so: \"row 3: "
                                    "data byte 1 inverted, read back\".");
        p.addPositionalArgument("ROW", "Sensor row 0..31.");
        p.addPositionalArgument("on|off", "Inverted (on) or not (off).");
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "invert", "ROW on|off", error);
        if (!args)
            return error;
        const auto row = sensorRowArgument((*args)[0], error);
        if (!row)
            return error;
        const QString value = (*args)[1].toLower();
        if (value != "on" && value != "off")
            return QString("invert takes on or off, not \"%1\"").arg((*args)[1]);
        row_ = *row, on_ = value == "on";
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c.client.setInversion(row_, on_, [this, &c](const auto& f) {
            c.finishAfter(f, [this, &c] {
                return QString("row %1: data byte 1 %2, read back")
                    .arg(row_)
                    .arg(c.client.image.sensors[row_].inverted ? "inverted" : "not inverted");
            });
        });
    }

private:
    int row_ = 0;
    bool on_ = false;
};
} // namespace

std::unique_ptr<CliCommand> makeInvertCommand() {
    return std::make_unique<InvertCommand>();
}
