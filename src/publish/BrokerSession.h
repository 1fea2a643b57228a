#pragma once
// The publisher's side toward the broker. It keeps what the broker should retain, one message a
// topic (status, gateway, discovery, the latest state of each sensor), publishes a change at
// once while connected, and all of it again after every connect. While the broker is away only
// that is kept, so memory stays bounded however long it lasts; telegram messages of that time
// are dropped. A lost connection is tried again after a growing pause (1 s up to 60 s). A
// refusal of the credentials or the certificate before the first connect is final.

#include "platform/GrowingPause.h"
#include "publish/BrokerClient.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class Timer;

class BrokerSession {
public:
    BrokerSession(Clock& clock, BrokerClient& client, QString brokerText);
    ~BrokerSession();

    void start();
    // The message the broker should retain on a topic; an empty payload removes it there.
    void setRetained(const QByteArray& topic, const QByteArray& payload);
    // A message of the moment (not retained): sent while connected, else dropped.
    void sendEvent(const QByteArray& topic, const QByteArray& payload);
    // Sends what is kept (the status set offline by the caller), disconnects cleanly, then done.
    // Without a connection done follows at once.
    void stop(std::function<void()> done);
    // Topics kept for the broker (what a reconnect publishes again).
    int keptTopics() const { return int(kept_.size()); }

    std::function<void(const QString&)> complain;
    // The broker refused us for good (credentials, certificate): the reason.
    std::function<void(const QString&)> refused;

private:
    struct Kept {
        QByteArray topic;
        QByteArray payload; // empty: to be removed at the broker, then forgotten
    };
    void connected();
    void dropped(const BrokerDrop& drop);
    void publishKept(Kept& kept);
    void forgetRemoved();

    BrokerClient& client_;
    QString brokerText_; // "mqtt://host:1883", for messages
    std::unique_ptr<Timer> reconnect_;
    GrowingPause pause_;
    std::vector<Kept> kept_; // in the order first set: status, gateway, discovery before states
    bool everConnected_ = false;
    bool stopped_ = false;
    std::function<void()> stopDone_;
};
