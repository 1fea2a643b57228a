#include "serve/PageSockets.h"

#include "platform/Timer.h"
#include "serve/ServeAccess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <algorithm>

namespace {
constexpr int kTickMs = 1000;
constexpr int64_t kTokenWithinMs = 10000;
constexpr int64_t kPingEveryMs = 20000;
constexpr int64_t kSilentMostMs = 60000;
constexpr qint64 kMostUnsentBytes = 1024 * 1024;
constexpr quint64 kMostMessageBytes = 4096;
} // namespace

struct PageSockets::Page {
    std::unique_ptr<QWebSocket> socket;
    bool admitted = false;
    int64_t sinceMs = 0;
    int64_t lastHeardMs = 0;
    int64_t lastPingMs = 0;
    bool gone = false; // disconnected; dropped from the list at the next add or tick
};

PageSockets::PageSockets(Clock& clock, const ServeAccess& access,
                         std::function<QByteArray()> wholeState)
    : clock_(clock)
    , access_(access)
    , wholeState_(std::move(wholeState))
    , tick_(clock.createTimer("page sockets", kTickMs)) {
    tick_->setTickHandler([this] { tick(); });
}

PageSockets::~PageSockets() {
    closeAll();
}

void PageSockets::add(std::unique_ptr<QWebSocket> socket) {
    prune();
    auto page = std::make_unique<Page>();
    Page* p = page.get();
    p->socket = std::move(socket);
    p->sinceMs = p->lastHeardMs = p->lastPingMs = clock_.nowMs();
    p->socket->setMaxAllowedIncomingMessageSize(kMostMessageBytes);
    p->socket->setMaxAllowedIncomingFrameSize(kMostMessageBytes);
    pages_.push_back(std::move(page));
    QObject::connect(p->socket.get(), &QWebSocket::disconnected, p->socket.get(),
                     [this, p] { forget(p); });
    if (int(pages_.size()) > kMostPages) // those being closed count until they are gone
        return close(*p, QString("%1 pages are open already").arg(kMostPages));
    QObject::connect(p->socket.get(), &QWebSocket::textMessageReceived, p->socket.get(),
                     [this, p](const QString& m) { received(*p, m); });
    QObject::connect(p->socket.get(), &QWebSocket::pong, p->socket.get(),
                     [this, p] { p->lastHeardMs = clock_.nowMs(); });
    const QByteArray header = p->socket->request().rawHeader("Authorization");
    if (!header.isEmpty()) {
        if (!access_.tokenMatches(bearerToken(header)))
            return close(*p, "token missing or wrong");
        admit(*p);
    }
    tick_->setEnabled(true);
}

void PageSockets::received(Page& page, const QString& message) {
    page.lastHeardMs = clock_.nowMs();
    if (page.admitted)
        return; // an admitted page has nothing to say; the writes go through the API
    const QJsonObject o = QJsonDocument::fromJson(message.toUtf8()).object();
    if (!access_.tokenMatches(o["token"].toString().toLatin1()))
        return close(page, "token missing or wrong");
    admit(page);
}

void PageSockets::admit(Page& page) {
    page.admitted = true;
    page.socket->sendTextMessage(QString::fromUtf8(wholeState_()));
}

void PageSockets::close(Page& page, const QString& reason) {
    page.socket->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
}

void PageSockets::forget(Page* page) {
    page->gone = true;
    page->admitted = false;
    page->socket.release()->deleteLater(); // it is in the middle of telling us
}

void PageSockets::prune() {
    pages_.erase(std::remove_if(pages_.begin(), pages_.end(),
                                [](const std::unique_ptr<Page>& p) { return p->gone; }),
                 pages_.end());
    tick_->setEnabled(!pages_.empty());
}

void PageSockets::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    for (const auto& page : pages_) {
        if (!page->admitted) // also those gone
            continue;
        if (page->socket->bytesToWrite() > kMostUnsentBytes) // a page that takes nothing in
            page->socket->abort();
        else
            page->socket->sendTextMessage(text);
    }
}

void PageSockets::tick() {
    prune();
    const int64_t now = clock_.nowMs();
    for (size_t i = 0; i < pages_.size(); ++i) { // closing one may mark it gone, never erase it
        Page* page = pages_[i].get();
        if (page->gone)
            continue;
        if (!page->admitted && now - page->sinceMs >= kTokenWithinMs)
            close(*page, "no token");
        else if (now - page->lastHeardMs >= kSilentMostMs)
            page->socket->abort();
        else if (now - page->lastPingMs >= kPingEveryMs) {
            page->lastPingMs = now;
            page->socket->ping();
        }
    }
}

int PageSockets::admittedPages() const {
    return int(std::count_if(pages_.begin(), pages_.end(),
                             [](const std::unique_ptr<Page>& p) { return p->admitted; }));
}

void PageSockets::closeAll() {
    for (const auto& page : pages_) {
        if (page->gone)
            continue;
        QWebSocket* socket = page->socket.release();
        socket->disconnect(); // it tells us nothing more
        socket->abort();
        socket->deleteLater();
    }
    pages_.clear();
}
