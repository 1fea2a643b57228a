#pragma once
// The gateway published to an MQTT broker, read-only: the gateway reader's slots become retained
// states on every change, a telegram (the time value changed) one telegram message beside the
// new state, a learned sensor its Home Assistant discovery, a deleted one the removal of both.
// Nothing from the broker reaches the gateway: the publisher subscribes to nothing.

#include "gateway/GatewayReader.h"
#include "publish/BrokerSession.h"
#include "publish/PublishMessages.h"

#include <array>
#include <functional>
#include <optional>

class Clock;
class LineSession;

class Publisher {
public:
    Publisher(Clock& clock, LineSession& line, GatewayClient& client, BrokerClient& broker,
              PublishSettings settings, QString brokerText);

    void start();
    // Ctrl-C, SIGTERM: the reading stops, status offline goes out, the broker connection ends
    // cleanly; then finished(true).
    void stop();

    // Once: true after stop(), false when the broker refused us for good.
    std::function<void(bool ok)> finished;
    std::function<void(const QString&)> complain;
    // The gateway's response time, each time it is identified (the answer time-out follows it).
    std::function<void(uint16_t ms)> responseTime;

private:
    struct Seen {
        SensorSlot slot;
        std::optional<int64_t> lastTelegramWallMs;
    };
    void identified(const GatewayImage& gateway);
    void slotRead(int row, const SensorSlot& slot);
    void publishState(int row);
    void setDiscovery(int row, const SensorSlot& slot);
    // The removal of its discovery, and of its state when the row is empty now.
    void removeSensor(int row, const SensorSlot& was, bool clearState);
    void end(bool ok);

    Clock& clock_;
    PublishSettings settings_;
    PublishTopics topics_;
    BrokerSession broker_;
    GatewayReader reader_;
    GatewayImage gateway_; // as last identified
    std::array<std::optional<Seen>, kGatewaySensorSlots> seen_{};
    bool ended_ = false;
};
