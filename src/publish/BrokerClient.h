#pragma once
// The MQTT broker as the publisher sees it: connect, publish, disconnect, and what ended a
// connection. The program's client is libmosquitto's (MosquittoClient); tests put a fake in its
// place, so that the publisher's logic runs without a broker on the manual clock.

#include <QByteArray>
#include <QString>
#include <functional>

// Why the broker is not (or no longer) there.
enum class BrokerTrouble {
    Network,     // refused, unreachable, lost, no answer: worth another attempt
    Credentials, // the broker refused the user name or password, or the client is not authorised
    Certificate, // the TLS handshake failed: the server's certificate, or ours
    Stopped,     // we disconnected on purpose
};

struct BrokerDrop {
    BrokerTrouble trouble = BrokerTrouble::Network;
    QString reason; // "connection refused", "certificate verify failed"
};

class BrokerClient {
public:
    virtual ~BrokerClient() = default;
    // Starts one attempt; connected or dropped follows (dropped may come at once).
    virtual void connectToBroker() = 0;
    virtual bool isConnected() const = 0;
    // Hands one message to the broker connection (QoS 1). False when not connected: nothing is
    // kept for later, the caller keeps what it wants to send again.
    virtual bool publish(const QByteArray& topic, const QByteArray& payload, bool retained) = 0;
    // Lets what was published go out (a bounded wait), then disconnects cleanly, so that the
    // broker does not send the last will; dropped(Stopped) follows.
    virtual void disconnectFromBroker() = 0;

    std::function<void()> connected;
    std::function<void(const BrokerDrop&)> dropped;
};
