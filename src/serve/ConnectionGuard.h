#pragma once
// The bounds of the page server's connections, at the socket, before Qt's HTTP server sees a
// byte. Qt's server (6.4) keeps a request's bytes in the socket until the request is complete
// and collects the body in memory before any handler runs, with no limit; so the guard counts
// what arrives on each connection since its last request was handled and answers a request that
// grows past kMostRequestBytes with "413" and closes, without reading more. A connection that
// sends nothing for a minute while no answer is due is closed; at most kMostConnections are open
// at once (a further one is closed at once). A connection upgraded to a WebSocket leaves the
// guard's reading (the WebSocket has its own message limit) but still counts.
// The guard sits in the listening server (nextPendingConnection), so one class serves plain TCP
// and TLS (QSslServer hands over a connection once its handshake is done).

#include <QPointer>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

class Clock;

inline constexpr int kMostConnections = 32;
// the header lines (at most about 12 KiB) and a body of 4 KiB
inline constexpr qint64 kMostRequestBytes = 16 * 1024;
inline constexpr int kIdleConnectionMs = 60000;

class ConnectionGuard {
public:
    explicit ConnectionGuard(Clock& clock)
        : clock_(clock) {}
    // Takes a new connection in, or closes it (too many): whether it may be served.
    bool admit(QTcpSocket* socket);
    // A request of the connection has reached the server: its count starts again; an answer is
    // due, so idleness does not count until the next bytes.
    void requestTaken(QTcpSocket* socket);
    int openConnections();

private:
    Clock& clock_;
    std::vector<QPointer<QTcpSocket>> open_;
};

// A listening server (QTcpServer or QSslServer) whose connections pass the guard.
template <class Server> class GuardedServer : public Server {
public:
    explicit GuardedServer(ConnectionGuard& guard)
        : guard_(guard) {}
    QTcpSocket* nextPendingConnection() override {
        while (QTcpSocket* socket = Server::nextPendingConnection())
            if (guard_.admit(socket))
                return socket;
        return nullptr;
    }

private:
    ConnectionGuard& guard_;
};
