#include "net/NetworkAddress.h"

#include <QUrl>

namespace {
struct Scheme {
    const char* name;
    PortKind kind;
};
constexpr Scheme kSchemes[] = {
    {"tcp", PortKind::RawTcp}, {"rfc2217", PortKind::Rfc2217}, {"modbus-tcp", PortKind::ModbusTcp}};

const char* schemeOf(PortKind kind) {
    for (const Scheme& s : kSchemes)
        if (s.kind == kind)
            return s.name;
    return "tcp";
}
} // namespace

QString NetworkAddress::text() const {
    const QString h = host.contains(':') ? "[" + host + "]" : host;
    return QString("%1://%2:%3").arg(schemeOf(kind), h).arg(port);
}

bool isNetworkAddressText(const QString& name) {
    return name.contains("://");
}

std::variant<NetworkAddress, QString> parseNetworkAddress(const QString& text) {
    const QString t = text.trimmed();
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = t.section("://", 0, 0).toLower();
    NetworkAddress a;
    bool known = false;
    for (const Scheme& s : kSchemes)
        if (scheme == s.name) {
            a.kind = s.kind;
            known = true;
        }
    if (!known)
        return QString("%1: a network port begins with tcp://, rfc2217:// or modbus-tcp://").arg(t);
    const bool bare =
        url.path().isEmpty() && !url.hasQuery() && !url.hasFragment() && url.userInfo().isEmpty();
    if (!url.isValid() || url.host().isEmpty() || !bare)
        return QString("%1: give the address as %2://HOST:PORT").arg(t, scheme);
    a.host = url.host();
    const int port = url.port(a.kind == PortKind::ModbusTcp ? kModbusTcpPort : -1);
    if (port < 1 || port > 65535)
        return QString("%1: the TCP port is missing (1..65535), as in %2://%3:4001")
            .arg(t, scheme, url.host());
    a.port = uint16_t(port);
    return a;
}
