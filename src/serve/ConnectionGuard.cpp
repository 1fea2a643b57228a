#include "serve/ConnectionGuard.h"

#include "platform/Timer.h"

#include <algorithm>

namespace {
// Said without reading on: the request is not parsed, only counted.
constexpr char kTooLarge[] = "HTTP/1.1 413 Payload Too Large\r\nContent-Type: text/plain\r\n"
                             "Content-Length: 29\r\nConnection: close\r\n\r\n"
                             "request larger than 16 KiB.\r\n";

// What the guard keeps of a connection; a child of the socket, so it goes with it.
class SocketWatch : public QObject {
public:
    SocketWatch(QTcpSocket* socket, Clock& clock)
        : QObject(socket)
        , socket_(socket)
        , idle_(clock.createTimer("page connection idle", kIdleConnectionMs)) {
        setObjectName("pageConnectionWatch");
        // connected before the HTTP server's own handler, so it counts each chunk first
        reading_ = connect(socket, &QIODevice::readyRead, this, [this] { arrived(); });
        idle_->setTickHandler([this] { idleTick(); });
        idle_->setEnabled(true);
    }
    void requestTaken() {
        received_ = 0;
        restartIdle();
    }

private:
    void restartIdle() {
        idle_->setEnabled(false);
        idle_->setEnabled(true);
    }
    void arrived() {
        received_ += socket_->bytesAvailable();
        restartIdle();
        if (received_ <= kMostRequestBytes)
            return;
        // nobody reads on: the server's handler after this one is not called any more
        disconnect(socket_, &QIODevice::readyRead, nullptr, nullptr);
        socket_->write(kTooLarge);
        socket_->disconnectFromHost();
        idle_->setEnabled(false);
    }
    void idleTick() {
        idle_->setEnabled(false);
        if (!reading_) // a WebSocket now: its pages are watched by pings
            return;
        socket_->abort();
    }

    QTcpSocket* socket_;
    std::unique_ptr<Timer> idle_;
    QMetaObject::Connection reading_;
    qint64 received_ = 0;
};
} // namespace

int ConnectionGuard::openConnections() {
    open_.erase(std::remove_if(open_.begin(), open_.end(),
                               [](const QPointer<QTcpSocket>& s) {
                                   return !s || s->state() == QAbstractSocket::UnconnectedState;
                               }),
                open_.end());
    return int(open_.size());
}

bool ConnectionGuard::admit(QTcpSocket* socket) {
    if (openConnections() >= kMostConnections) {
        socket->abort();
        socket->deleteLater();
        return false;
    }
    // what the socket keeps unread: beyond the request bound, nothing is taken from the system
    socket->setReadBufferSize(4 * kMostRequestBytes);
    new SocketWatch(socket, clock_);
    open_.emplace_back(socket);
    return true;
}

void ConnectionGuard::requestTaken(QTcpSocket* socket) {
    if (auto* watch =
            socket->findChild<SocketWatch*>("pageConnectionWatch", Qt::FindDirectChildrenOnly))
        watch->requestTaken();
}
