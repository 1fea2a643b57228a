#pragma once
// The simulated gateway served on 127.0.0.1 for qrx-gateway-sim --listen: as behind a raw serial
// server (tcp:, the gateway's own line settings hold), a serial server with the Telnet COM port
// control option (rfc2217:, the tool's settings are negotiated and checked against the gateway's
// own, as on a pseudo-terminal), or as a Modbus TCP gateway (modbus-tcp:, MBAP, answers at once).
// One client at a time: a new connection replaces the old one, as a serial server's "kick old
// user" does. The fault "lost" closes the connection and serving goes on.

#include "net/Telnet.h"
#include "sim/ServedLine.h"

#include <QObject>
#include <QTcpServer>
#include <memory>

class QTcpSocket;

class NetGateway : public QObject {
public:
    NetGateway(const SimOptions& options, ServedLine::LogSink log);
    ~NetGateway() override;

    // Listens; an error text when that fails.
    QString start();
    // "rfc2217://127.0.0.1:40123", with the port the system gave for 0.
    QString address() const;

private:
    void accept();
    void readable();
    void write(const QByteArray& bytes);
    void comPortCommand(const QByteArray& sub);
    void dropClient();

    SimOptions options_;
    ServedLine::LogSink log_;
    ServedLine line_;
    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
    TelnetDecoder decoder_;
    std::unique_ptr<TelnetOptions> telnet_;
    LineSettings toolLine_; // rfc2217: as the tool set it
};
