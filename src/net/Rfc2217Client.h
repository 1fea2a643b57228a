#pragma once
// The tool's side of a serial server with the Telnet COM port control option (RFC 2217): it asks
// for the option and for binary transmission both ways, sets baud rate, data bits, parity and stop
// bits, and checks each of the server's replies against what it asked. A reply with another value
// is a refusal, as a local adapter refuses a setting it cannot use. Pure: bytes in, bytes out.

#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "net/Telnet.h"

#include <QByteArray>
#include <deque>
#include <map>
#include <optional>

class Rfc2217Client {
public:
    Rfc2217Client();

    // What goes out when the connection stands: the offers.
    QByteArray start();
    // The line settings, sent once the server agreed to the option (else on its agreement).
    QByteArray setLine(const LineSettings& line);

    struct Received {
        QByteArray data;   // the serial line's bytes
        QByteArray answer; // negotiation answers and settings, to send at once
    };
    Received receive(const QByteArray& bytes);
    // Data for the serial line.
    QByteArray escaped(const QByteArray& data) const;

    // The option is agreed and every setting asked has its reply.
    bool ready() const;
    // What went wrong: NoComControl, or SettingRefused with the setting and the value asked.
    std::optional<PortError> failure() const { return failure_; }

private:
    QByteArray settingCommands();
    void checkReply(const QByteArray& sub);

    TelnetDecoder decoder_;
    TelnetOptions options_;
    std::optional<LineSettings> line_; // asked for, not yet sent
    bool agreed_ = false;
    // COM port commands sent (SET-BAUDRATE ...) and the values asked, oldest first, until their
    // replies; at most a few deep, as the tool changes the line only between exchanges
    std::map<uint8_t, std::deque<QByteArray>> pending_;
    std::optional<PortError> failure_;
};
