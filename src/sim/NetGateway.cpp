#include "sim/NetGateway.h"

#include "net/NetworkAddress.h"

#include <QTcpSocket>

using namespace telnet;

namespace {
// COM port commands (RFC 2217) the simulated serial server carries out; it answers each with the
// command + 100 and the value it now holds, and echoes any other command.
constexpr uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4;

QByteArray word32(uint32_t v) {
    const char bytes[] = {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF),
                          char(v & 0xFF)};
    return QByteArray(bytes, 4);
}
} // namespace

NetGateway::NetGateway(const SimOptions& options, ServedLine::LogSink log)
    : options_(options)
    , log_(log)
    , line_(options, log, [this](const QByteArray& bytes) { write(bytes); })
    , toolLine_(line_.gatewayLine()) {
    line_.setMbap(options.listenKind == PortKind::ModbusTcp);
    line_.onLost = [this] { dropClient(); };
    connect(&server_, &QTcpServer::newConnection, this, &NetGateway::accept);
}

NetGateway::~NetGateway() {
    dropClient();
}

QString NetGateway::start() {
    if (!server_.listen(QHostAddress::LocalHost, options_.listenPort))
        return QString("cannot listen on 127.0.0.1:%1: %2")
            .arg(options_.listenPort)
            .arg(server_.errorString());
    return {};
}

QString NetGateway::address() const {
    return NetworkAddress{options_.listenKind, "127.0.0.1", server_.serverPort()}.text();
}

void NetGateway::accept() {
    while (QTcpSocket* next = server_.nextPendingConnection()) {
        dropClient();
        client_ = next;
        client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(client_, &QTcpSocket::readyRead, this, &NetGateway::readable);
        connect(client_, &QTcpSocket::disconnected, this, [this, next] {
            if (client_ == next)
                dropClient();
        });
        line_.restart();
        decoder_.reset();
        toolLine_ = line_.gatewayLine();
        if (log_)
            log_(QString("-- client %1 connected").arg(client_->peerPort()));
        if (options_.listenKind != PortKind::Rfc2217)
            continue;
        telnet_ = std::make_unique<TelnetOptions>(std::vector<uint8_t>{kBinary, kSuppressGoAhead},
                                                  std::vector<uint8_t>{kBinary, kComPortOption});
        client_->write(telnet_->offer(DO, kComPortOption) + telnet_->offer(WILL, kBinary) +
                       telnet_->offer(DO, kBinary));
    }
}

void NetGateway::dropClient() {
    if (!client_)
        return;
    QTcpSocket* gone = std::exchange(client_, nullptr);
    gone->disconnect(this);
    gone->abort();
    gone->deleteLater();
    telnet_.reset();
    if (log_)
        log_("-- client gone");
}

void NetGateway::readable() {
    if (!client_)
        return;
    const QByteArray bytes = client_->readAll();
    if (!telnet_) {
        line_.receive(bytes, line_.gatewayLine()); // a raw serial server keeps its own settings
        return;
    }
    const TelnetDecoded d = decoder_.feed(bytes);
    QByteArray answers;
    for (const TelnetNegotiation& n : d.negotiations)
        answers += telnet_->answer(n);
    client_->write(answers);
    decoder_.setPeerBinary(telnet_->remote(kBinary));
    for (const QByteArray& sub : d.subnegotiations)
        if (uint8_t(sub[0]) == kComPortOption && sub.size() >= 2)
            comPortCommand(sub);
    if (!d.data.isEmpty())
        line_.receive(d.data, toolLine_);
}

void NetGateway::comPortCommand(const QByteArray& sub) {
    const uint8_t command = uint8_t(sub[1]);
    const QByteArray value = sub.mid(2);
    const uint8_t v = value.isEmpty() ? 0 : uint8_t(value[0]);
    QByteArray reply = value;
    LineSettings& l = toolLine_;
    if (command == kSetBaudRate && value.size() == 4) {
        const uint32_t baud = uint32_t(uint8_t(value[0])) << 24 |
                              uint32_t(uint8_t(value[1])) << 16 | uint32_t(uint8_t(value[2])) << 8 |
                              uint8_t(value[3]);
        if (baud >= 300 && baud <= 4000000) // 0 asks for the value
            l.baud = int(baud);
        reply = word32(uint32_t(l.baud));
    } else if (command == kSetDataSize) {
        if (v == 7 || v == 8)
            l.dataBits = v;
        reply = QByteArray(1, char(l.dataBits));
    } else if (command == kSetParity) {
        if (v >= 1 && v <= 3)
            l.parity = v == 1 ? 'N' : v == 2 ? 'O' : 'E';
        reply = QByteArray(1, char(l.parity == 'N' ? 1 : l.parity == 'O' ? 2 : 3));
    } else if (command == kSetStopSize) {
        if (v == 1 || v == 2)
            l.stopBits = v;
        reply = QByteArray(1, char(l.stopBits));
    }
    client_->write(telnetSubnegotiation(kComPortOption, char(command + 100) + reply));
}

void NetGateway::write(const QByteArray& bytes) {
    if (client_)
        client_->write(telnet_ ? telnetEscaped(bytes, telnet_->local(kBinary)) : bytes);
}
