#pragma once
// The page server on the network: Qt's HTTP server (no parser of our own) on a listening socket
// of ours, whose connections pass the ConnectionGuard (bounds at the socket), plain or TLS
// (QSslServer). Each request goes to ServeApi as a value and its answer comes back, at once or
// when a write has ended; WebSocket upgrades go to PageSockets. Every answer forbids caching,
// framing and content sniffing, and allows the page nothing from elsewhere.

#include "serve/ConnectionGuard.h"
#include "serve/ServeAccess.h"

#include <QAbstractHttpServer>
#include <QSslConfiguration>
#include <optional>

class PageSockets;
class ServeApi;

class WebServer : public QAbstractHttpServer {
public:
    WebServer(Clock& clock, const ServeApi& api, PageSockets& pages);

    // Listens at the address, with TLS when given; the reason when it cannot.
    std::optional<QString> listenAt(const ListenAddress& at,
                                    const std::optional<QSslConfiguration>& tls);
    quint16 port() const { return port_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    const ServeApi& api_;
    ConnectionGuard guard_;
    quint16 port_ = 0;
};

// The certificate (PEM) and its key (PEM, RSA or EC, without a pass phrase) of --tls-cert and
// --tls-key; the message for standard error when they cannot be read or do not fit.
std::optional<QSslConfiguration> tlsConfiguration(const QString& certFile, const QString& keyFile,
                                                  QString& error);
