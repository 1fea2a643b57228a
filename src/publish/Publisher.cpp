#include "publish/Publisher.h"

#include "platform/Timer.h"

Publisher::Publisher(Clock& clock, LineSession& line, GatewayClient& client, BrokerClient& broker,
                     PublishSettings settings, QString brokerText)
    : clock_(clock)
    , settings_(std::move(settings))
    , topics_(settings_)
    , broker_(clock, broker, std::move(brokerText))
    , reader_(clock, line, client, settings_.intervalMs, settings_.fullEvery) {
    reader_.identified = [this](const GatewayImage& g) { identified(g); };
    reader_.availability = [this](bool online, const QString&) {
        broker_.setRetained(topics_.status(), online ? "online" : "offline");
    };
    reader_.slotRead = [this](int row, const SensorSlot& slot) { slotRead(row, slot); };
    reader_.complain = [this](const QString& text) {
        if (complain)
            complain(text);
    };
    broker_.complain = reader_.complain;
    broker_.refused = [this](const QString& reason) {
        reader_.stop();
        if (complain)
            complain(reason);
        end(false);
    };
}

void Publisher::start() {
    // offline until the gateway answers; first in the broker's list, so first after a connect
    broker_.setRetained(topics_.status(), "offline");
    broker_.start();
    reader_.start();
}

void Publisher::stop() {
    reader_.stop();
    broker_.setRetained(topics_.status(), "offline");
    broker_.stop([this] { end(true); });
}

void Publisher::end(bool ok) {
    if (std::exchange(ended_, true))
        return;
    if (finished)
        finished(ok);
}

void Publisher::identified(const GatewayImage& gateway) {
    const bool otherModel = gateway.deviceText() != gateway_.deviceText();
    gateway_ = gateway;
    broker_.setRetained(topics_.gateway(), gatewayPayload(gateway_, settings_));
    if (otherModel) // the discovery names the model
        for (int row = 0; row < kGatewaySensorSlots; ++row)
            if (seen_[row])
                setDiscovery(row, seen_[row]->slot);
    if (responseTime)
        responseTime(gateway.responseTimeMs);
}

// Change detection: a new sensor in the row (learned, or another ID) is announced; a new time
// value is a telegram: one telegram message and one state, nothing else.
void Publisher::slotRead(int row, const SensorSlot& slot) {
    std::optional<Seen>& seen = seen_[row];
    if (!slot.learned()) {
        if (seen)
            removeSensor(row, seen->slot, true);
        seen.reset();
        return;
    }
    if (!seen || seen->slot.id != slot.id || seen->slot.org != slot.org) {
        if (seen)
            removeSensor(row, seen->slot, false);
        seen = Seen{slot, std::nullopt};
        setDiscovery(row, slot);
        publishState(row);
        return;
    }
    const bool telegram = seen->slot.time != slot.time;
    if (!telegram && seen->slot.data == slot.data)
        return;
    seen->slot = slot;
    if (telegram) {
        seen->lastTelegramWallMs = clock_.wallMs();
        broker_.sendEvent(topics_.telegram(row),
                          statePayload(row, slot, seen->lastTelegramWallMs, settings_));
    }
    publishState(row);
}

void Publisher::publishState(int row) {
    const Seen& s = *seen_[row];
    broker_.setRetained(topics_.state(row),
                        statePayload(row, s.slot, s.lastTelegramWallMs, settings_));
}

void Publisher::setDiscovery(int row, const SensorSlot& slot) {
    if (!settings_.discovery)
        return;
    for (int k = 0; k < 4; ++k)
        broker_.setRetained(discoveryTopic(discoveryUniqueId(settings_, row, slot, k)),
                            discoveryPayload(settings_, gateway_, row, slot, k));
}

void Publisher::removeSensor(int row, const SensorSlot& was, bool clearState) {
    if (settings_.discovery)
        for (int k = 0; k < 4; ++k)
            broker_.setRetained(discoveryTopic(discoveryUniqueId(settings_, row, was, k)), {});
    if (clearState)
        broker_.setRetained(topics_.state(row), {});
}
