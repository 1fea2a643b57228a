// qrx-cli read: the whole gateway, answer-paced: after the identification the inversion flags,
// the 32 sensor slots and, on the transceiver, the 8 sender slots (43 requests in all).

#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"

#include <QCommandLineParser>

namespace {
class ReadCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Reads the whole gateway: identification, response time, the 32 inversion flags, "
            "the 32 sensor slots and, on a transceiver, the 8 sender slots. Data bytes are the "
            "raw bytes 0..3, byte 0 first; time is the time value of the last telegram.\n"
            "JSON, one line:\n"
            "{\"device\":\"QTX40\",\"response_time\":20,\"sensors\":[{\"row\":0,"
            "\"org\":\"05\",\"id\":\"0012A3F0\",\n"
            "\"data\":[48,0,0,0],\"time\":120,\"inverted\":false}, ... 32 rows],\n"
            "\"senders\":[{\"row\":0,\"org\":5,\"id\":\"FF800100\",\"data\":[0,0,0,0],"
            "\"status\":0},\n... 8 rows]}\n"
            "with \"senders\":[] on a receiver.\n"
            "CSV: a header, then one line per slot.");
        p.addOption({"format", "text, json or csv. Default text.", "format", "text"});
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        if (!arguments(p, "read", "", error))
            return error;
        format_ = p.value("format").toLower();
        if (format_ != "text" && format_ != "json" && format_ != "csv")
            return QString("--format takes text, json or csv, not \"%1\"").arg(p.value("format"));
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c.client.readTables({}, [this, &c](const std::optional<StepFailure>& failure) {
            if (!failure) {
                const GatewayImage& g = c.client.image;
                c.io.data(format_ == "json"  ? imageJson(g)
                          : format_ == "csv" ? imageCsv(g)
                                             : imageText(g));
            }
            c.finishAfter(failure);
        });
    }

private:
    QString format_;
};
} // namespace

std::unique_ptr<CliCommand> makeReadCommand() {
    return std::make_unique<ReadCommand>();
}
