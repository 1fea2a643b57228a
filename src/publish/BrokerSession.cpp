#include "publish/BrokerSession.h"

#include "platform/Timer.h"

#include <algorithm>

BrokerSession::BrokerSession(Clock& clock, BrokerClient& client, QString brokerText)
    : client_(client)
    , brokerText_(std::move(brokerText))
    , reconnect_(clock.createTimer("broker reconnect", 1000)) {
    reconnect_->setTickHandler([this] {
        reconnect_->setEnabled(false);
        client_.connectToBroker();
    });
    client_.connected = [this] { connected(); };
    client_.dropped = [this](const BrokerDrop& d) { dropped(d); };
}

BrokerSession::~BrokerSession() {
    client_.connected = nullptr;
    client_.dropped = nullptr;
}

void BrokerSession::start() {
    client_.connectToBroker();
}

void BrokerSession::setRetained(const QByteArray& topic, const QByteArray& payload) {
    auto it = std::find_if(kept_.begin(), kept_.end(),
                           [&topic](const Kept& k) { return k.topic == topic; });
    if (it == kept_.end()) {
        if (payload.isEmpty())
            return; // nothing of ours there to remove
        it = kept_.insert(kept_.end(), Kept{topic, payload});
    } else if (it->payload == payload) {
        return; // the broker holds it already, or will after the next connect
    } else {
        it->payload = payload;
    }
    if (client_.isConnected()) {
        publishKept(*it);
        forgetRemoved();
    }
}

void BrokerSession::sendEvent(const QByteArray& topic, const QByteArray& payload) {
    if (client_.isConnected())
        client_.publish(topic, payload, false);
}

void BrokerSession::stop(std::function<void()> done) {
    stopped_ = true;
    reconnect_->setEnabled(false);
    if (!client_.isConnected()) {
        if (done)
            done();
        return;
    }
    stopDone_ = std::move(done);
    client_.disconnectFromBroker();
}

void BrokerSession::connected() {
    if (stopped_) // an attempt that was underway at the stop
        return client_.disconnectFromBroker();
    everConnected_ = true;
    pause_.reset();
    for (Kept& k : kept_)
        publishKept(k);
    forgetRemoved();
}

void BrokerSession::dropped(const BrokerDrop& drop) {
    if (stopped_) {
        if (auto done = std::exchange(stopDone_, nullptr))
            done();
        return;
    }
    const bool final =
        drop.trouble == BrokerTrouble::Credentials || drop.trouble == BrokerTrouble::Certificate;
    if (final && !everConnected_) { // a wrong set-up: another attempt would only repeat it
        if (refused)
            refused(QString("broker %1: %2").arg(brokerText_, drop.reason));
        return;
    }
    // once connected, even a refusal is worth another attempt: the broker's set-up may change
    const int ms = pause_.next();
    if (complain)
        complain(QString("broker %1: %2; next attempt in %3 s")
                     .arg(brokerText_, drop.reason)
                     .arg(ms / 1000));
    reconnect_->setInterval(ms);
    reconnect_->setEnabled(true);
}

void BrokerSession::publishKept(Kept& kept) {
    client_.publish(kept.topic, kept.payload, true);
}

void BrokerSession::forgetRemoved() {
    kept_.erase(std::remove_if(kept_.begin(), kept_.end(),
                               [](const Kept& k) { return k.payload.isEmpty(); }),
                kept_.end());
}
