#pragma once
// The pages connected over WebSocket. A page is admitted once it has shown the token: in an
// "Authorization: Bearer TOKEN" header of the handshake (programs), or in its first message
// {"token":"..."} (browsers cannot set headers on a WebSocket), within 10 s (the handshake's Host
// and Origin have passed ServeApi). Nothing is sent before; a wrong token closes the socket.
// An admitted page gets the whole view, then every change message. At most kMostPages at once;
// a message over 4 KiB from a page closes it, as does a page that takes nothing in (1 MiB
// unsent) or answers no ping for a minute.

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class QWebSocket;
class Timer;
struct ServeAccess;

inline constexpr int kMostPages = 8;

class PageSockets {
public:
    PageSockets(Clock& clock, const ServeAccess& access, std::function<QByteArray()> wholeState);
    ~PageSockets();

    void add(std::unique_ptr<QWebSocket> socket);
    void broadcast(const QByteArray& message);
    int admittedPages() const;
    void closeAll();

private:
    struct Page;
    void received(Page& page, const QString& message);
    void admit(Page& page);
    void close(Page& page, const QString& reason);
    void tick();
    void forget(Page* page);
    void prune();

    Clock& clock_;
    const ServeAccess& access_;
    std::function<QByteArray()> wholeState_;
    std::vector<std::unique_ptr<Page>> pages_;
    std::unique_ptr<Timer> tick_;
};
