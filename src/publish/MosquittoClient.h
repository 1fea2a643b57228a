#pragma once
// The broker client over libmosquitto, driven from the program's event loop: the client's socket
// is watched by QSocketNotifier (read always, write while libmosquitto has bytes queued) and its
// keepalive work (mosquitto_loop_misc) runs on a 1 s timer of the clock. We chose the event loop
// over libmosquitto's own thread: the tool has one thread and no locks, the reconnect pauses
// stay ours (on the clock's timers, the same in tests), and the callbacks reach the publisher
// without queued signals. The connect is non-blocking (mosquitto_connect_async; only the name
// lookup blocks), so the line is read on while a broker is slow to answer. Each attempt uses a
// fresh client, so nothing of a broken connection carries over. No MQTT code of our own.

#include "publish/BrokerClient.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class QSocketNotifier;
class Timer;
struct mosquitto;

struct BrokerSettings {
    QString host;
    int port = 1883;
    bool tls = false; // mqtts://: the server's certificate is verified, its name included
    QString caFile;   // empty: the system's certificate authorities
    QString certFile; // our certificate and key, when the broker asks for them
    QString keyFile;
    QString username;    // empty: none
    QByteArray password; // from --password-file
    QString clientId;
    QByteArray willTopic; // the status topic: "offline" when the connection dies
    QByteArray willPayload;
    int keepaliveS = 60;
    int connectTimeoutMs = 20000; // from the attempt to the broker's CONNACK
    int stopWaitMs = 2000;        // for the acknowledgements of what was published before a stop
    QString text() const;         // "mqtts://host:8883"
};

class MosquittoClient : public BrokerClient {
public:
    MosquittoClient(Clock& clock, BrokerSettings settings);
    ~MosquittoClient() override;

    void connectToBroker() override;
    bool isConnected() const override { return connected_; }
    bool publish(const QByteArray& topic, const QByteArray& payload, bool retained) override;
    void disconnectFromBroker() override;

private:
    // What libmosquitto's callbacks report; handled once the library call has returned, so that
    // a handler may end the connection without pulling it from under the library.
    struct Event {
        enum Kind { Connack, Disconnected, AllAcknowledged } kind;
        int code;
    };
    static void onConnect(mosquitto*, void* self, int code);
    static void onDisconnect(mosquitto*, void* self, int code);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onLog(mosquitto*, void* self, int level, const char* text);

    bool prepare();
    void watchSocket();
    void afterCall(int rc);
    void handleEvents();
    void readable();
    void writable();
    void tick();
    void sendDisconnect();
    void drop(BrokerDrop drop);
    void tearDown();
    BrokerDrop dropFor(int rc) const;

    BrokerSettings settings_;
    mosquitto* client_ = nullptr;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    std::unique_ptr<Timer> misc_;
    int64_t attemptStartedMs_ = 0;
    int64_t stopStartedMs_ = 0;
    Clock& clock_;
    std::vector<Event> events_;
    std::optional<BrokerDrop> refusal_; // from a CONNACK that refused us
    QString tlsError_;                  // the last TLS error libmosquitto logged
    int unacknowledged_ = 0;            // QoS 1 messages without their PUBACK yet
    bool connected_ = false;
    bool stopping_ = false;
};
