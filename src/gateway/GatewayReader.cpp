#include "gateway/GatewayReader.h"

#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

GatewayReader::GatewayReader(Clock& clock, LineSession& line, GatewayClient& client, int intervalMs,
                             int fullEvery)
    : line_(line)
    , client_(client)
    , fullEvery_(std::max(1, fullEvery))
    // an interval of 0 still goes through the timer: the next pass follows from the event loop
    , interval_(clock.createTimer("reading interval", std::max(1, intervalMs)))
    , retryPause_(clock.createTimer("reading line retry", 1000)) {
    interval_->setTickHandler([this] {
        interval_->setEnabled(false);
        startPass();
    });
    retryPause_->setTickHandler([this] {
        retryPause_->setEnabled(false);
        retry();
    });
}

GatewayReader::~GatewayReader() {
    stop();
}

void GatewayReader::start() {
    passesUntilFull_ = 0;
    startPass();
}

void GatewayReader::stop() {
    phase_ = Phase::Stopped;
    holdWanted_ = nullptr;
    interval_->setEnabled(false);
    retryPause_->setEnabled(false);
    client_.cancel(); // its done sees Stopped and does nothing
}

void GatewayReader::hold(std::function<void()> held) {
    holdWanted_ = std::move(held);
    if (phase_ != Phase::Reading) // nothing underway: the pause or the retry waits
        heldNow();
}

void GatewayReader::release() {
    if (phase_ != Phase::Held)
        return;
    startPass();
}

bool GatewayReader::heldNow() {
    if (!holdWanted_)
        return false;
    interval_->setEnabled(false);
    retryPause_->setEnabled(false);
    phase_ = Phase::Held;
    std::exchange(holdWanted_, nullptr)();
    return true;
}

void GatewayReader::startPass() {
    phase_ = Phase::Reading;
    fullPass_ = passesUntilFull_ <= 0;
    passesUntilFull_ = fullPass_ ? fullEvery_ - 1 : passesUntilFull_ - 1;
    steps_.clear();
    if (fullPass_) // the identification first: type and response time, and whether it is there
        steps_.push_back({StepKind::Identify});
    if (fullPass_ && extras_)
        steps_.push_back({StepKind::Flags});
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        if (fullPass_ || client_.image.sensors[row].learned())
            steps_.push_back({StepKind::Sensor, row});
    runStep(0);
}

void GatewayReader::runStep(size_t index) {
    if (index == steps_.size())
        return passDone();
    const Step step = steps_[index];
    auto done = [this, index](const std::optional<StepFailure>& f) { stepDone(index, f); };
    switch (step.kind) {
    case StepKind::Identify:
        return client_.identify(done);
    case StepKind::Flags:
        return client_.readInversionFlags(done);
    case StepKind::Sensor:
        return client_.readSensorSlot(step.row, done);
    case StepKind::Sender:
        return client_.readSenderSlot(step.row, done);
    }
}

void GatewayReader::stepDone(size_t index, const std::optional<StepFailure>& f) {
    if (phase_ != Phase::Reading)
        return;
    if (f)
        return failed(*f);
    const Step step = steps_[index];
    if (step.kind == StepKind::Identify) {
        cameOnline();
        if (extras_) // the transceiver's sender slots at the end of this whole pass
            for (int row = 0; row < kGatewaySenderSlots && client_.image.transceiver(); ++row)
                steps_.push_back({StepKind::Sender, row});
    } else if (step.kind == StepKind::Sensor && slotRead) {
        slotRead(step.row, client_.image.sensors[step.row]);
    } else if (step.kind == StepKind::Sender && senderRead) {
        senderRead(step.row, client_.image.senders[step.row]);
    }
    if (phase_ == Phase::Reading && !heldNow())
        runStep(index + 1);
}

void GatewayReader::cameOnline() {
    pause_.reset();
    if (identified)
        identified(client_.image);
    if (online_)
        return;
    online_ = true;
    offlineSaid_ = false;
    lastSaid_.clear();
    if (availability)
        availability(true, {});
}

void GatewayReader::passDone() {
    lastSaid_.clear(); // a clean pass: the next trouble is said again
    phase_ = Phase::Waiting;
    if (passEnded)
        passEnded();
    if (!heldNow())
        interval_->setEnabled(true);
}

void GatewayReader::failed(const StepFailure& f) {
    if (f.outcome == ExchangeOutcome::Cancelled)
        return;
    if (fullPass_) // not through: the next pass is whole again (and comes online by it)
        passesUntilFull_ = 0;
    if (passEnded)
        passEnded();
    if (f.answered()) { // an exception or a wrong answer: the line works, the next pass follows
        say(f.text());
        phase_ = Phase::Waiting;
        if (!heldNow())
            interval_->setEnabled(true);
        return;
    }
    passesUntilFull_ = 0; // when it answers again: identification and the whole table
    if (online_) {
        online_ = false;
        if (availability)
            availability(false, f.text());
    }
    if (!offlineSaid_) // once an outage (or at the start), not at every attempt
        say("gateway offline: " + f.text() + "; trying again with a growing pause");
    offlineSaid_ = true;
    phase_ = Phase::Retrying;
    if (heldNow())
        return;
    retryPause_->setInterval(pause_.next());
    retryPause_->setEnabled(true);
}

void GatewayReader::retry() {
    if (!line_.isOpen()) { // lost (unplugged, or a network port's connection gone): open it again
        try {
            line_.close();
            line_.open();
        } catch (const PortError& e) {
            say("cannot open the port again: " + e.reason);
            retryPause_->setInterval(pause_.next());
            retryPause_->setEnabled(true);
            return;
        }
    }
    startPass();
}

void GatewayReader::say(const QString& text) {
    if (text == lastSaid_)
        return;
    lastSaid_ = text;
    if (complain)
        complain(text);
}
