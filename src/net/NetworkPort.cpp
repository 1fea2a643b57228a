#include "net/NetworkPort.h"

#include "net/Rfc2217Client.h"
#include "platform/Timer.h"

#include <QMetaObject>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {
// TCP keeps the received bytes this far ahead of the tool: a peer that floods is held back by
// TCP itself. A serial line at 115200 baud brings 11.5 kB a second; the link reads every 100 ms.
constexpr qint64 kReadAheadBytes = 64 * 1024;
// A connection whose sent bytes stay unacknowledged this long counts as broken (a pulled cable
// is otherwise noticed only after many minutes); an idle one is probed after 5 s.
constexpr unsigned kUnacknowledgedMs = 5000;
constexpr int kKeepAliveIdleS = 5, kKeepAliveIntervalS = 2, kKeepAliveProbes = 3;

PortError netError(int number, const QString& reason, NetFailure why) {
    return PortError{number, reason, QString(), why};
}
} // namespace

NetworkPort::NetworkPort(Clock& clock, NetworkAddress address)
    : address_(std::move(address))
    , connectTimer_(clock.createTimer("connect", kConnectTimeoutMs)) {
    socket_.setReadBufferSize(kReadAheadBytes);
    connectTimer_->setTickHandler([this] {
        connectTimer_->setEnabled(false);
        // a server that stands but never negotiates has no COM port control
        if (socket_.state() == QAbstractSocket::ConnectedState)
            fail(netError(EPROTONOSUPPORT, "no answer to the COM port control (RFC 2217)",
                          NetFailure::NoComControl));
        else
            fail(netError(ETIMEDOUT,
                          QString("no connection within %1 s").arg(kConnectTimeoutMs / 1000),
                          NetFailure::TimedOut));
    });
    QObject::connect(&socket_, &QTcpSocket::connected, &guard_, [this] { connected(); });
    QObject::connect(&socket_, &QTcpSocket::readyRead, &guard_, [this] { readable(); });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &guard_,
                     [this](QAbstractSocket::SocketError e) { socketFailed(e); });
}

NetworkPort::~NetworkPort() {
    QObject::disconnect(&socket_, nullptr, &guard_, nullptr);
    socket_.abort();
}

void NetworkPort::setSettings(const QString& text) {
    const std::optional<LineSettings> parsed = parseLineSettings(text);
    if (!parsed)
        throw PortError{EINVAL, "Invalid property value", address_.text()};
    settings_ = *parsed;
    if (telnet_ && state_ != State::Closed)
        send(telnet_->setLine(settings_)); // checked when the server replies
}

void NetworkPort::setPortOpen(bool open) {
    if (open == PortOpen())
        return;
    connectTimer_->setEnabled(false);
    waiting_.clear();
    inbox_.clear();
    telnet_.reset();
    if (!open) {
        state_ = State::Closed;
        socket_.abort(); // the socket is released at once
        return;
    }
    failing_ = false;
    ++connection_;
    if (address_.kind == PortKind::Rfc2217)
        telnet_ = std::make_unique<Rfc2217Client>();
    state_ = State::Connecting;
    connectTimer_->setEnabled(true);
    socket_.connectToHost(address_.host, address_.port);
}

void NetworkPort::connected() {
    if (state_ != State::Connecting)
        return;
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1); // TCP_NODELAY: a frame at once
    keepWatch();
    if (telnet_) {
        send(telnet_->start());
        send(telnet_->setLine(settings_));
    }
    standIfReady();
}

void NetworkPort::keepWatch() {
    socket_.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = int(socket_.socketDescriptor());
    if (fd < 0)
        return;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleS, sizeof kKeepAliveIdleS);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalS, sizeof kKeepAliveIntervalS);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedMs, sizeof kUnacknowledgedMs);
}

void NetworkPort::standIfReady() {
    if (state_ != State::Connecting || (telnet_ && !telnet_->ready()))
        return;
    state_ = State::Open;
    connectTimer_->setEnabled(false);
    if (!waiting_.isEmpty())
        send(telnet_ ? telnet_->escaped(std::exchange(waiting_, {})) : std::exchange(waiting_, {}));
    reportStateChanged();
}

void NetworkPort::readable() {
    if (state_ == State::Closed || failing_)
        return;
    if (!telnet_) {
        reportBytesArrived();
        return;
    }
    const Rfc2217Client::Received r = telnet_->receive(socket_.readAll());
    send(r.answer);
    if (const std::optional<PortError> refused = telnet_->failure()) {
        fail(*refused);
        return;
    }
    inbox_.append(r.data);
    if (inbox_.size() > kReadAheadBytes) // nobody reads: the oldest bytes go
        inbox_.remove(0, inbox_.size() - kReadAheadBytes);
    standIfReady();
    if (state_ == State::Open && !inbox_.isEmpty())
        reportBytesArrived();
}

int NetworkPort::InBufferCount() {
    if (state_ != State::Open)
        return 0;
    return int(telnet_ ? inbox_.size() : socket_.bytesAvailable());
}

QByteArray NetworkPort::Input() {
    if (state_ != State::Open)
        return {};
    return telnet_ ? std::exchange(inbox_, {}) : socket_.readAll();
}

void NetworkPort::Output(const QByteArray& bytes) {
    if (state_ == State::Connecting)
        waiting_ = bytes; // a newer request replaces an older one, as on the line
    else if (state_ == State::Open)
        send(telnet_ ? telnet_->escaped(bytes) : bytes);
}

void NetworkPort::send(const QByteArray& bytes) {
    if (!bytes.isEmpty() && socket_.state() == QAbstractSocket::ConnectedState)
        socket_.write(bytes);
}

void NetworkPort::socketFailed(QAbstractSocket::SocketError error) {
    const bool connecting = state_ == State::Connecting;
    const QString reason = socket_.errorString();
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return fail(netError(ECONNREFUSED, reason, NetFailure::Refused));
    case QAbstractSocket::HostNotFoundError:
        return fail(netError(ENXIO, reason, NetFailure::NameNotFound));
    case QAbstractSocket::RemoteHostClosedError:
        return fail(netError(ECONNRESET, reason, NetFailure::Closed));
    case QAbstractSocket::SocketTimeoutError:
        return fail(
            netError(ETIMEDOUT, reason, connecting ? NetFailure::TimedOut : NetFailure::Lost));
    default:
        return fail(netError(connecting ? EHOSTUNREACH : EPIPE, reason,
                             connecting ? NetFailure::NotReachable : NetFailure::Lost));
    }
}

void NetworkPort::fail(PortError e) {
    // the socket may report several errors for one failure: close once, report once, later
    // (not inside the socket's own signal)
    if (failing_ || state_ == State::Closed)
        return;
    failing_ = true;
    e.devicePath = address_.text();
    QMetaObject::invokeMethod(
        &guard_, [this, e, c = connection_] { closeAfterFailure(e, c); }, Qt::QueuedConnection);
}

void NetworkPort::closeAfterFailure(PortError e, int connection) {
    if (state_ == State::Closed || connection != connection_)
        return;
    setPortOpen(false);
    reportDeviceLost(e);
}
