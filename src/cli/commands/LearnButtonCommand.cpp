// qrx-cli learn-button ROW [--wait S]: learn mode on for the row, then the row's slot is read
// every 300 ms (as the window's slot watch) until its ORG or ID differ from before: the sensor's
// learn telegram has arrived. On time-out, on a failed read and on Ctrl-C learn mode is switched
// off again.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/commands/Commands.h"
#include "platform/Timer.h"

#include <QCommandLineParser>

namespace {
constexpr int kSlotWatchMs = 300;

class LearnButtonCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Switches learn mode on for a row and waits until the sensor's learn button has put "
            "a sensor there (ORG or ID differ from before), then prints the slot: row, ORG, ID, "
            "data bytes 0..3, time value. On time-out learn mode is switched off and the exit "
            "status is 1.");
        p.addPositionalArgument("ROW", "Sensor row 0..31.");
        p.addOption(
            {"wait", "Seconds to wait for the learn telegram, 1..86400. Default 60.", "s", "60"});
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        const auto args = arguments(p, "learn-button", "ROW", error);
        if (!args)
            return error;
        const auto row = sensorRowArgument((*args)[0], error);
        const auto wait =
            row ? numberArgument("--wait", p.value("wait"), 1, 86400, error) : std::nullopt;
        if (!wait)
            return error;
        row_ = *row, waitMs_ = *wait * 1000;
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c_ = &c;
        poll_ = c.clock.createTimer("slot watch", kSlotWatchMs);
        poll_->setTickHandler([this] {
            poll_->setEnabled(false);
            readSlot();
        });
        c.client.readSensorSlot(row_, [this](const std::optional<StepFailure>& f) {
            if (f)
                return c_->finishAfter(f);
            before_ = c_->client.image.sensors[row_];
            learnModeOn_ = true;
            c_->client.setLearnMode(row_, true, [this](const std::optional<StepFailure>& f) {
                if (stopping_)
                    return;
                if (f)
                    return stop(f->text(), kExitFailed);
                deadlineMs_ = c_->clock.nowMs() + waitMs_;
                poll_->setEnabled(true);
            });
        });
    }
    void interrupt(CommandContext& c) override {
        if (!learnModeOn_ || stopping_)
            return CliCommand::interrupt(c);
        stopping_ = true; // the cancelled request's done ends nothing
        c.client.cancel();
        switchOff("interrupted", kExitInterrupted);
    }

private:
    void readSlot() {
        c_->client.readSensorSlot(row_, [this](const std::optional<StepFailure>& f) {
            if (stopping_)
                return;
            if (f)
                return stop(f->text(), kExitFailed);
            const SensorSlot& now = c_->client.image.sensors[row_];
            if (now.org != before_.org || now.id != before_.id) {
                c_->io.data(sensorLine(row_, now) + '\n');
                return c_->finish(kExitDone);
            }
            if (c_->clock.nowMs() >= deadlineMs_)
                return stop(QString("learn-button row %1: no sensor learned within %2 s")
                                .arg(row_)
                                .arg(waitMs_ / 1000),
                            kExitFailed);
            poll_->setEnabled(true);
        });
    }
    void stop(const QString& reason, int exitCode) {
        if (stopping_)
            return;
        stopping_ = true;
        switchOff(reason, exitCode);
    }
    // Learn mode off, then the end with the reason.
    void switchOff(const QString& reason, int exitCode) {
        poll_->setEnabled(false);
        c_->complain(reason);
        c_->client.setLearnMode(row_, false, [this, exitCode](const std::optional<StepFailure>& f) {
            if (f)
                c_->complain(f->text());
            c_->finish(exitCode);
        });
    }

    int row_ = 0;
    int64_t waitMs_ = 60000;
    CommandContext* c_ = nullptr;
    std::unique_ptr<Timer> poll_;
    SensorSlot before_;
    bool learnModeOn_ = false;
    bool stopping_ = false;
    int64_t deadlineMs_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeLearnButtonCommand() {
    return std::make_unique<LearnButtonCommand>();
}
