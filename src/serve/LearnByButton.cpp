// Learn by button from the page: the row is read (a row that holds another sensor is left as it
// is unless it is to be replaced), learn mode goes on, and the row is read every 300 ms until
// its ORG or ID differ from before. The page is told at once that learn mode is on (with the
// time left, for its countdown); the end comes as the operation. On time-out, cancel and stop
// learn mode is switched off again; after a learn-in the gateway ends learn mode itself.

#include "platform/Timer.h"
#include "serve/LiveGateway.h"
#include "serve/RowOperations.h"

void RowOperations::learnByButton(int row, int waitS, bool replace, WriteDone done) {
    if (row < 0 || row >= kGatewaySensorSlots)
        return done({WriteOutcome::BadValue, QString("row takes 0..31, not %1").arg(row)});
    if (waitS < 1 || waitS > kLearnButtonWaitMostS)
        return done({WriteOutcome::BadValue,
                     QString("wait takes 1..%1 s, not %2").arg(kLearnButtonWaitMostS).arg(waitS)});
    waitS_ = waitS;
    claim({"learn-button", row, QString("learn by button, row %1").arg(row)}, done, [=, this] {
        readRowThen(row, 0, 0, replace, done, [=, this] {
            before_ = client_.image.sensors[size_t(row)];
            learnModeOn(done);
        });
    });
}

void RowOperations::learnModeOn(const WriteDone& done) {
    const int row = current_->row;
    client_.setLearnMode(row, true, [=, this](const std::optional<StepFailure>& f) {
        if (f)
            return failed(*f, done);
        learnModeOn_ = true;
        deadlineMs_ = clock_.nowMs() + int64_t(waitS_) * 1000;
        live_.setOperation(operationJson("running", {}));
        done({WriteOutcome::Started,
              QString("learn mode on for row %1: press the sensor's learn button within %2 s")
                  .arg(row)
                  .arg(waitS_)});
        if (changed)
            changed();
        if (!cancelledNow())
            watch_->setEnabled(true);
    });
}

void RowOperations::watchRow() {
    const int row = current_->row;
    client_.readSensorSlot(row, [=, this](const std::optional<StepFailure>& f) {
        if (cancelledNow())
            return;
        if (f)
            return switchOff("failed", f->text());
        const SensorSlot& now = client_.image.sensors[size_t(row)];
        live_.slotRead(row, now);
        if (now.org != before_.org || now.id != before_.id)
            return end(
                {WriteOutcome::Done,
                 QString("row %1: learned %2, ORG %3").arg(row).arg(now.idText(), now.orgText())},
                nullptr);
        if (clock_.nowMs() >= deadlineMs_)
            return switchOff("timeout", QString("row %1: no sensor learned within %2 s; learn "
                                                "mode off")
                                            .arg(row)
                                            .arg(waitS_));
        watch_->setEnabled(true);
    });
}

void RowOperations::cancelLearn(WriteDone done) {
    if (!current_ || current_->kind != "learn-button")
        return done({WriteOutcome::Refused, "no learn by button runs"});
    cancelDone_.push_back(std::move(done));
    cancelWanted_ = true;
    if (learnModeOn_ && watch_->isEnabled()) // between two readings of the row
        cancelledNow();
}

bool RowOperations::cancelledNow() {
    if (!cancelWanted_ || switchingOff_)
        return switchingOff_;
    watch_->setEnabled(false);
    switchOff("cancelled",
              QString("row %1: learn by button cancelled, learn mode off").arg(current_->row));
    return true;
}

void RowOperations::switchOff(const QString& state, const QString& message) {
    switchingOff_ = true;
    watch_->setEnabled(false);
    client_.setLearnMode(current_->row, false, [=, this](const std::optional<StepFailure>& f) {
        const QString said =
            f ? message + "; switching learn mode off failed: " + f->text() : message;
        end({state == "done" ? WriteOutcome::Done : WriteOutcome::Failed, said}, nullptr, state);
    });
}

void RowOperations::stop(std::function<void()> done) {
    if (current_ && current_->kind == "learn-button") { // learn mode may be on or going on
        stopDone_ = std::move(done);
        cancelLearn(nullptr);
        return;
    }
    done();
}
