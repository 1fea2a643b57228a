#pragma once
// The port as a network address (QTcpSocket): a raw serial server, an RFC 2217 serial server or a
// Modbus TCP gateway (net/NetworkAddress.h). Opening starts a non-blocking connect and returns;
// the port counts as open and connecting until the connection stands (for RFC 2217, until the
// server agreed to the COM port control and answered the line settings), and a frame written
// meanwhile goes out then. The connect time-out (3 s, a timer of the clock) bounds the wait.
// A failure to connect, a lost connection and a setting the server refuses close the port and
// come through the device-lost handler, named (PortError::net) with the address. One connection
// per port, with TCP_NODELAY; closing releases the socket.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "net/NetworkAddress.h"

#include <QObject>
#include <QTcpSocket>
#include <memory>

class Clock;
class Rfc2217Client;
class Timer;

inline constexpr int kDefaultNetworkMarginMs = 100;
inline constexpr int kConnectTimeoutMs = 3000;

class NetworkPort : public SerialPort {
public:
    NetworkPort(Clock& clock, NetworkAddress address);
    ~NetworkPort() override;

    int CommPort() const override { return commPort_; }
    void setCommPort(int n) override { commPort_ = n; }
    QString Settings() const override { return settings_.text(); }
    void setSettings(const QString& text) override;
    bool PortOpen() const override { return state_ != State::Closed; }
    void setPortOpen(bool open) override;
    InputMode inputMode() const override { return mode_; }
    void setInputMode(InputMode mode) override { mode_ = mode; }
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray& bytes) override;

    PortKind kind() const override { return address_.kind; }
    int networkMarginMs() const override { return marginMs_; }
    void setNetworkMarginMs(int ms) override { marginMs_ = std::max(0, ms); }
    bool connecting() const override { return state_ == State::Connecting; }

    const NetworkAddress& address() const { return address_; }

private:
    enum class State { Closed, Connecting, Open };
    void connected();
    void readable();
    void socketFailed(QAbstractSocket::SocketError error);
    void fail(PortError e);
    void closeAfterFailure(PortError e, int connection);
    void standIfReady();
    void send(const QByteArray& bytes);
    void keepWatch();

    NetworkAddress address_;
    QTcpSocket socket_;
    QObject guard_; // context of the queued close: it dies with the port
    std::unique_ptr<Timer> connectTimer_;
    std::unique_ptr<Rfc2217Client> telnet_; // rfc2217:// only, for one connection
    State state_ = State::Closed;
    int commPort_ = 1;
    LineSettings settings_;
    InputMode mode_ = InputMode::Text;
    int marginMs_ = kDefaultNetworkMarginMs;
    QByteArray waiting_; // the last frame written while connecting
    QByteArray inbox_;   // rfc2217://: the line's bytes taken out of the Telnet stream
    bool failing_ = false;
    int connection_ = 0; // counts the opens: a queued close belongs to one connection
};
