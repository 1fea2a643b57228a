#include "serve/WebServer.h"

#include "serve/PageSockets.h"
#include "serve/ServeApi.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QSslKey>
#include <QWebSocket>

namespace {
using Status = QHttpServerResponder::StatusCode;

void answer(QHttpServerResponder& responder, const ApiResponse& r) {
    responder.writeStatusLine(Status(r.status));
    responder.writeHeader("Content-Type", r.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(r.body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("X-Frame-Options", "DENY");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Content-Security-Policy",
                          "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                          "frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
    responder.writeBody(r.body);
}

QByteArray methodName(QHttpServerRequest::Method m) {
    switch (m) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    default:
        return "OTHER";
    }
}
} // namespace

WebServer::WebServer(Clock& clock, const ServeApi& api, PageSockets& pages)
    : api_(api)
    , guard_(clock) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this, &pages] {
        while (hasPendingWebSocketConnections())
            pages.add(nextPendingWebSocketConnection());
    });
}

std::optional<QString> WebServer::listenAt(const ListenAddress& at,
                                           const std::optional<QSslConfiguration>& tls) {
    QTcpServer* server = nullptr;
    if (tls) {
        auto* ssl = new GuardedServer<QSslServer>(guard_);
        ssl->setSslConfiguration(*tls);
        server = ssl;
    } else {
        server = new GuardedServer<QTcpServer>(guard_);
    }
    server->setParent(this);
    if (!server->listen(at.address, at.port)) {
        const QString reason = server->errorString();
        delete server;
        return reason;
    }
    port_ = server->serverPort();
    bind(server);
    return std::nullopt;
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    guard_.requestTaken(socket);
    const ApiRequest rq{methodName(request.method()), request.url().path(),
                        request.value("host"),        request.value("authorization"),
                        request.value("origin"),      request.body()};
    // Qt's server asks before it hands a WebSocket handshake on: true lets it go on, and
    // nothing may be written then
    if (request.value("upgrade").toLower() == "websocket" &&
        request.value("connection").toLower().contains("upgrade")) {
        const auto refusal = api_.refuseWebSocket(rq);
        if (!refusal)
            return true;
        QHttpServerResponder responder = makeResponder(request, socket);
        answer(responder, *refusal);
        return false; // the server closes the connection
    }
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    const QPointer<QTcpSocket> alive(socket);
    // a write answers when it has ended; the page may have gone by then
    api_.handle(rq, [responder, alive](const ApiResponse& r) {
        if (alive && alive->state() == QAbstractSocket::ConnectedState)
            answer(*responder, r);
    });
    return true;
}

std::optional<QSslConfiguration> tlsConfiguration(const QString& certFile, const QString& keyFile,
                                                  QString& error) {
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(certFile, QSsl::Pem);
    if (certs.isEmpty()) {
        error = QString("--tls-cert: no PEM certificate in %1").arg(certFile);
        return std::nullopt;
    }
    QFile f(keyFile);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024) {
        error = QString("--tls-key: cannot read %1").arg(keyFile);
        return std::nullopt;
    }
    const QByteArray pem = f.readAll();
    QSslKey key(pem, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(pem, QSsl::Ec);
    if (key.isNull()) {
        error = QString("--tls-key: no RSA or EC key without a pass phrase in %1").arg(keyFile);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certs.first());
    tls.setLocalCertificateChain(certs);
    tls.setPrivateKey(key);
    return tls;
}
