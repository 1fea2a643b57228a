#include "publish/MosquittoClient.h"

#include "platform/Timer.h"

#include <QSocketNotifier>
#include <mosquitto.h>
#include <mutex>

namespace {
void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString sentence(const char* text) {
    QString s = QString::fromUtf8(text);
    if (s.endsWith('.'))
        s.chop(1);
    return s;
}

QByteArray path(const QString& file) {
    return file.toLocal8Bit();
}

constexpr int kVerifyPeer = 1; // SSL_VERIFY_PEER, without pulling in OpenSSL's headers
} // namespace

QString BrokerSettings::text() const {
    const QString h = host.contains(':') ? '[' + host + ']' : host; // an IPv6 address
    return QString("%1://%2:%3").arg(tls ? "mqtts" : "mqtt", h).arg(port);
}

MosquittoClient::MosquittoClient(Clock& clock, BrokerSettings settings)
    : settings_(std::move(settings))
    , misc_(clock.createTimer("mosquitto misc", 1000))
    , clock_(clock) {
    initialiseLibrary();
    misc_->setTickHandler([this] { tick(); });
}

MosquittoClient::~MosquittoClient() {
    tearDown();
}

// A fresh client with the will, the credentials and the TLS settings; false (and dropped) when
// libmosquitto refuses them.
bool MosquittoClient::prepare() {
    const QByteArray id = settings_.clientId.toUtf8();
    client_ = mosquitto_new(id.constData(), true, this);
    if (!client_) {
        drop({BrokerTrouble::Network, "out of memory"});
        return false;
    }
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(client_, onConnect);
    mosquitto_disconnect_callback_set(client_, onDisconnect);
    mosquitto_publish_callback_set(client_, onPublish);
    mosquitto_log_callback_set(client_, onLog);
    mosquitto_will_set(client_, settings_.willTopic.constData(), int(settings_.willPayload.size()),
                       settings_.willPayload.constData(), 1, true);
    if (!settings_.username.isEmpty())
        mosquitto_username_pw_set(client_, settings_.username.toUtf8().constData(),
                                  settings_.password.isNull() ? nullptr
                                                              : settings_.password.constData());
    if (!settings_.tls)
        return true;
    const QByteArray ca = path(settings_.caFile), cert = path(settings_.certFile),
                     key = path(settings_.keyFile);
    const int rc = mosquitto_tls_set(client_, ca.isEmpty() ? nullptr : ca.constData(),
                                     ca.isEmpty() ? "/etc/ssl/certs" : nullptr,
                                     cert.isEmpty() ? nullptr : cert.constData(),
                                     key.isEmpty() ? nullptr : key.constData(), nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
        drop({BrokerTrouble::Certificate,
              "cannot use the certificate files: " + sentence(mosquitto_strerror(rc))});
        return false;
    }
    mosquitto_tls_opts_set(client_, kVerifyPeer, nullptr, nullptr);
    mosquitto_tls_insecure_set(client_, false); // the certificate must name the host
    return true;
}

void MosquittoClient::connectToBroker() {
    tearDown();
    stopping_ = false;
    tlsError_.clear();
    if (!prepare())
        return;
    attemptStartedMs_ = clock_.nowMs();
    const int rc = mosquitto_connect_async(client_, settings_.host.toUtf8().constData(),
                                           settings_.port, settings_.keepaliveS);
    if (rc != MOSQ_ERR_SUCCESS) {
        drop(dropFor(rc));
        return;
    }
    watchSocket();
    misc_->setEnabled(true);
    afterCall(rc);
}

void MosquittoClient::watchSocket() {
    const int socket = mosquitto_socket(client_);
    reader_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    writer_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
    QObject::connect(reader_.get(), &QSocketNotifier::activated, [this] { readable(); });
    QObject::connect(writer_.get(), &QSocketNotifier::activated, [this] { writable(); });
}

bool MosquittoClient::publish(const QByteArray& topic, const QByteArray& payload, bool retained) {
    if (!connected_ || stopping_)
        return false;
    const int rc = mosquitto_publish(client_, nullptr, topic.constData(), int(payload.size()),
                                     payload.constData(), 1, retained);
    if (rc == MOSQ_ERR_SUCCESS)
        ++unacknowledged_;
    afterCall(rc);
    return rc == MOSQ_ERR_SUCCESS;
}

void MosquittoClient::disconnectFromBroker() {
    if (!client_) {
        drop({BrokerTrouble::Stopped, "stopped"});
        return;
    }
    stopping_ = true;
    stopStartedMs_ = clock_.nowMs();
    if (unacknowledged_ == 0 || !connected_)
        sendDisconnect();
}

void MosquittoClient::sendDisconnect() {
    // written at once; libmosquitto closes the socket and tells onDisconnect (code 0)
    afterCall(mosquitto_disconnect(client_));
    if (client_) // not connected after all: nothing to say goodbye to
        drop({BrokerTrouble::Stopped, "stopped"});
}

void MosquittoClient::readable() {
    afterCall(mosquitto_loop_read(client_, 1));
}

void MosquittoClient::writable() {
    // before the CONNACK a TLS handshake may wait for the socket to be writable; libmosquitto
    // goes on with it from its read call
    if (!connected_) {
        afterCall(mosquitto_loop_read(client_, 1));
        if (!client_)
            return;
    }
    afterCall(mosquitto_loop_write(client_, 1));
}

void MosquittoClient::tick() {
    if (!client_)
        return;
    const int64_t now = clock_.nowMs();
    if (!connected_ && now - attemptStartedMs_ >= settings_.connectTimeoutMs)
        return drop({BrokerTrouble::Network, QString("no answer from the broker within %1 s")
                                                 .arg(settings_.connectTimeoutMs / 1000)});
    if (stopping_ && now - stopStartedMs_ >= settings_.stopWaitMs)
        return sendDisconnect(); // the broker keeps the retained messages it has acknowledged
    afterCall(mosquitto_loop_misc(client_)); // keepalive: PINGREQ, and a broker gone silent
}

// After every library call: the callbacks' events, a failure without one, and the write watch.
void MosquittoClient::afterCall(int rc) {
    handleEvents();
    if (!client_)
        return;
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)
        return drop(dropFor(rc));
    if (mosquitto_socket(client_) < 0)
        return drop(stopping_ ? BrokerDrop{BrokerTrouble::Stopped, "stopped"} : dropFor(rc));
    writer_->setEnabled(mosquitto_want_write(client_));
}

void MosquittoClient::handleEvents() {
    const std::vector<Event> events = std::exchange(events_, {});
    for (const Event& e : events) {
        if (!client_)
            return;
        if (e.kind == Event::Connack && e.code == 0) {
            connected_ = true;
            if (connected)
                connected();
        } else if (e.kind == Event::Connack) {
            // MQTT 3.1.1: 4 bad user name or password, 5 not authorised
            const bool credentials = e.code == 4 || e.code == 5;
            drop({credentials ? BrokerTrouble::Credentials : BrokerTrouble::Network,
                  "refused: " + sentence(mosquitto_connack_string(e.code)).toLower()});
        } else if (e.kind == Event::AllAcknowledged) {
            sendDisconnect(); // what we published before the stop is with the broker
        } else if (stopping_) {
            drop({BrokerTrouble::Stopped, "stopped"});
        } else {
            drop(dropFor(e.code));
        }
    }
}

BrokerDrop MosquittoClient::dropFor(int rc) const {
    if (rc == MOSQ_ERR_TLS || rc == MOSQ_ERR_TLS_HANDSHAKE)
        return {BrokerTrouble::Certificate,
                "TLS: " + (tlsError_.isEmpty() ? sentence(mosquitto_strerror(rc)) : tlsError_)};
    if (rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST)
        return {BrokerTrouble::Network, "connection lost"};
    return {BrokerTrouble::Network, sentence(mosquitto_strerror(rc)).toLower()};
}

void MosquittoClient::drop(BrokerDrop d) {
    tearDown();
    if (dropped)
        dropped(d);
}

void MosquittoClient::tearDown() {
    misc_->setEnabled(false);
    reader_.reset();
    writer_.reset();
    events_.clear();
    connected_ = false;
    unacknowledged_ = 0;
    if (client_)
        mosquitto_destroy(std::exchange(client_, nullptr));
}

void MosquittoClient::onConnect(mosquitto*, void* self, int code) {
    static_cast<MosquittoClient*>(self)->events_.push_back({Event::Connack, code});
}

void MosquittoClient::onDisconnect(mosquitto*, void* self, int code) {
    static_cast<MosquittoClient*>(self)->events_.push_back({Event::Disconnected, code});
}

void MosquittoClient::onPublish(mosquitto*, void* self, int) {
    auto* c = static_cast<MosquittoClient*>(self);
    c->unacknowledged_ = std::max(0, c->unacknowledged_ - 1);
    if (c->stopping_ && c->unacknowledged_ == 0)
        c->events_.push_back({Event::AllAcknowledged, 0});
}

void MosquittoClient::onLog(mosquitto*, void* self, int level, const char* text) {
    // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed"
    const QString line = QString::fromUtf8(text);
    if (level == MOSQ_LOG_ERR && line.startsWith("OpenSSL Error"))
        static_cast<MosquittoClient*>(self)->tlsError_ = line.section(':', -1).trimmed();
}
