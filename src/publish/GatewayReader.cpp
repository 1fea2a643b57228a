#include "publish/GatewayReader.h"

#include "link/LineSession.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

GatewayReader::GatewayReader(Clock& clock, LineSession& line, GatewayClient& client, int intervalMs,
                             int fullEvery)
    : line_(line)
    , client_(client)
    , fullEvery_(std::max(1, fullEvery))
    // an interval of 0 still goes through the timer: the next pass follows from the event loop
    , interval_(clock.createTimer("publish interval", std::max(1, intervalMs)))
    , retryPause_(clock.createTimer("publish line retry", 1000)) {
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
    interval_->setEnabled(false);
    retryPause_->setEnabled(false);
    client_.cancel(); // its done sees Stopped and does nothing
}

void GatewayReader::startPass() {
    phase_ = Phase::Reading;
    fullPass_ = passesUntilFull_ <= 0;
    passesUntilFull_ = fullPass_ ? fullEvery_ - 1 : passesUntilFull_ - 1;
    rows_.clear();
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        if (fullPass_ || client_.image.sensors[row].learned())
            rows_.push_back(row);
    if (!fullPass_)
        return readRows(0);
    // the identification first: type and response time, and whether the gateway is there
    client_.identify([this](const std::optional<StepFailure>& f) {
        if (phase_ != Phase::Reading)
            return;
        if (f)
            return failed(*f);
        pause_.reset();
        if (identified)
            identified(client_.image);
        if (!online_) {
            online_ = true;
            offlineSaid_ = false;
            lastSaid_.clear();
            if (availability)
                availability(true, {});
        }
        readRows(0);
    });
}

void GatewayReader::readRows(size_t index) {
    if (index == rows_.size())
        return passDone();
    const int row = rows_[index];
    client_.readSensorSlot(row, [this, row, index](const std::optional<StepFailure>& f) {
        if (phase_ != Phase::Reading)
            return;
        if (f)
            return failed(*f);
        if (slotRead)
            slotRead(row, client_.image.sensors[row]);
        readRows(index + 1);
    });
}

void GatewayReader::passDone() {
    lastSaid_.clear(); // a clean pass: the next trouble is said again
    phase_ = Phase::Waiting;
    interval_->setEnabled(true);
}

void GatewayReader::failed(const StepFailure& f) {
    if (f.outcome == ExchangeOutcome::Cancelled)
        return;
    if (fullPass_) // not through: the next pass is whole again (and comes online by it)
        passesUntilFull_ = 0;
    if (f.answered()) { // an exception or a wrong answer: the line works, the next pass follows
        say(f.text());
        phase_ = Phase::Waiting;
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
