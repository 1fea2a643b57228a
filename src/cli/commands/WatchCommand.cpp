// qrx-cli watch: reads the 32 sensor slots again and again, answer-paced, then waits the
// interval; per pass one line per learned slot, flushed at the end of the pass. A pass that fails
// is reported and the next one follows (an overnight log outlives a gateway's restart); the exit
// status is then 1. A network port that lost its connection is opened again (Reconnection).
// Ctrl-C ends the watch as done.

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/ImageFormats.h"
#include "cli/Reconnection.h"
#include "cli/commands/Commands.h"
#include "link/LineSession.h"
#include "platform/Timer.h"
#include "platform/UtcTime.h"

#include <QCommandLineParser>

namespace {
struct Sample {
    int64_t wallMs = 0; // when the slot's answer came
    SensorSlot slot;
};

QString utcText(int64_t wallMs) {
    return QString::fromLatin1(utcTimeText(wallMs));
}

class WatchCommand : public CliCommand {
public:
    void describe(QCommandLineParser& p) const override {
        p.setApplicationDescription(
            "Reads the sensor slots again and again and prints, per pass, one line per learned "
            "slot: UTC time (ISO 8601 with ms), row, ID, ORG, data bytes 0..3, time value, and "
            "whether the time value changed since the previous pass (a telegram arrived). Runs "
            "until Ctrl-C or --count passes; the output is flushed after every pass.\n"
            "CSV: utc,row,id,org,data0,data1,data2,data3,time,changed (header first).\n"
            "JSON: one object a line, {\"utc\":...,\"row\":...,\"id\":...,\"org\":...,"
            "\"data\":[...],\"time\":...,\"changed\":...}.");
        p.addOptions({
            {"interval", "Milliseconds from the end of a pass to the next. Default 1000.", "ms",
             "1000"},
            {"count", "Passes, then the watch ends. Default: until Ctrl-C.", "n"},
            {"format", "csv or json. Default csv.", "format", "csv"},
        });
    }
    std::optional<QString> take(const QCommandLineParser& p) override {
        QString error;
        if (!arguments(p, "watch", "", error))
            return error;
        const auto interval = numberArgument("--interval", p.value("interval"), 0, 86400000, error);
        if (!interval)
            return error;
        intervalMs_ = int(*interval);
        if (p.isSet("count")) {
            const auto count = numberArgument("--count", p.value("count"), 1, 1000000000, error);
            if (!count)
                return error;
            count_ = int(*count);
        }
        json_ = p.value("format").toLower() == "json";
        if (!json_ && p.value("format").toLower() != "csv")
            return QString("--format takes csv or json, not \"%1\"").arg(p.value("format"));
        return std::nullopt;
    }
    void run(CommandContext& c) override {
        c_ = &c;
        reconnection_ = std::make_unique<Reconnection>(c);
        // an interval of 0 still goes through the timer: a gateway that is gone fails at once
        pause_ = c.clock.createTimer("watch interval", std::max(1, intervalMs_));
        pause_->setTickHandler([this] {
            pause_->setEnabled(false);
            startPass();
        });
        if (!json_)
            c.io.data("utc,row,id,org,data0,data1,data2,data3,time,changed\n");
        startPass();
    }
    void interrupt(CommandContext& c) override {
        if (pause_)
            pause_->setEnabled(false);
        reconnection_.reset();
        c.finish(failedPasses_ ? kExitFailed : kExitDone); // the pass underway is dropped
        c.client.cancel();
    }

private:
    void startPass() {
        samples_.clear();
        readRow(0);
    }
    void readRow(int row) {
        c_->client.readSensorSlot(row, [this, row](const std::optional<StepFailure>& f) {
            if (c_->finished())
                return;
            if (f)
                return passFailed(*f);
            reconnection_->succeeded();
            samples_.push_back({c_->clock.wallMs(), c_->client.image.sensors[row]});
            if (row + 1 < kGatewaySensorSlots)
                return readRow(row + 1);
            printPass();
            passDone();
        });
    }
    void passFailed(const StepFailure& f) {
        ++failedPasses_;
        // a port opened again that does not connect has said why
        const bool closed = !c_->line.isOpen();
        if (!closed || !reconnection_->retrying())
            c_->complain(QString("watch pass %1: %2").arg(passes_ + 1).arg(f.text()));
        if (closed) {
            if (!reconnection_->retryLater([this] { startPass(); }))
                c_->finish(kExitFailed);
            return;
        }
        passDone();
    }
    void passDone() {
        ++passes_;
        if (count_ && passes_ >= *count_)
            return c_->finish(failedPasses_ ? kExitFailed : kExitDone);
        pause_->setEnabled(true);
    }
    void printPass() {
        QString out;
        for (int row = 0; row < int(samples_.size()); ++row) {
            const Sample& s = samples_[row];
            const bool changed = previous_ && (*previous_)[row].time != s.slot.time;
            if (s.slot.learned())
                out += line(row, s, changed);
        }
        previous_ = std::array<SensorSlot, kGatewaySensorSlots>{};
        for (int row = 0; row < int(samples_.size()); ++row)
            (*previous_)[row] = samples_[row].slot;
        c_->io.data(out);
        c_->io.flush();
    }
    QString line(int row, const Sample& s, bool changed) const {
        const SensorSlot& slot = s.slot;
        if (json_)
            return QString(R"({"utc":"%1","row":%2,"id":"%3","org":"%4","data":%5,"time":%6,)"
                           R"("changed":%7})"
                           "\n")
                .arg(utcText(s.wallMs))
                .arg(row)
                .arg(slot.idText(), slot.orgText(), jsonBytes(slot.data))
                .arg(slot.time)
                .arg(changed ? "true" : "false");
        return QString("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10\n")
            .arg(utcText(s.wallMs))
            .arg(row)
            .arg(slot.idText(), slot.orgText())
            .arg(slot.data[0])
            .arg(slot.data[1])
            .arg(slot.data[2])
            .arg(slot.data[3])
            .arg(slot.time)
            .arg(changed ? "true" : "false");
    }

    int intervalMs_ = 1000;
    std::optional<int> count_;
    bool json_ = false;
    CommandContext* c_ = nullptr;
    std::unique_ptr<Timer> pause_;
    std::unique_ptr<Reconnection> reconnection_;
    std::vector<Sample> samples_;
    std::optional<std::array<SensorSlot, kGatewaySensorSlots>> previous_;
    int passes_ = 0;
    int failedPasses_ = 0;
};
} // namespace

std::unique_ptr<CliCommand> makeWatchCommand() {
    return std::make_unique<WatchCommand>();
}
