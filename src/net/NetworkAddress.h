#pragma once
// A port that is a network address, as the user writes it wherever a port is named (a COM entry's
// mapping, qrx-cli --port, the simulator's --listen): tcp://HOST:PORT, rfc2217://HOST:PORT or
// modbus-tcp://HOST[:PORT] (502 when left out). HOST is a name, an IPv4 address or an IPv6
// address in brackets.

#include "link/SerialPort.h"

#include <QString>
#include <cstdint>
#include <variant>

inline constexpr uint16_t kModbusTcpPort = 502;

struct NetworkAddress {
    PortKind kind = PortKind::RawTcp;
    QString host;
    uint16_t port = 0;

    QString text() const; // "tcp://10.0.0.5:4001", as the user wrote it, the scheme in lower case
    bool operator==(const NetworkAddress&) const = default;
};

// Whether a port name is meant as a network address (it names a scheme: "xyz://...").
bool isNetworkAddressText(const QString& name);
// The address, or why the text is none: an unknown scheme, a missing host or port, a port
// outside 1..65535.
std::variant<NetworkAddress, QString> parseNetworkAddress(const QString& text);
