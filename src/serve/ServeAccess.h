#pragma once
// Who may use the page server. The token: 128 random bits as 32 hex digits (or the first line of
// --token-file), sent by the page with every API call as "Authorization: Bearer TOKEN" and on the
// WebSocket, never in a cookie, so that no other site can make a browser send it; compared in
// constant time. The Host header: only the names this server is reached by (the listen address,
// and for a loopback or wildcard address the machine's own names and addresses), so that a
// foreign name that resolves to this machine (DNS rebinding) finds nothing.

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct ServeAccess {
    QByteArray token;
    QStringList hosts; // lower case, "127.0.0.1:8080", "[::1]:8080", "localhost:8080", ...
    bool readOnly = false;

    bool tokenMatches(QByteArrayView given) const;
    bool hostAllowed(QByteArrayView hostHeader) const;
};

// 16 bytes from the system's random source as 32 lower-case hex digits.
QByteArray randomToken();
// The token of "Bearer TOKEN" (the scheme in any case); empty for anything else.
QByteArray bearerToken(QByteArrayView authorization);
// Equal contents; the time taken depends on the length of given alone, not on where it differs.
bool sameSecret(QByteArrayView given, QByteArrayView expected);

// The Host header values this server answers to: the listen address with its port; for a
// wildcard address every local address and name, for a loopback address also "localhost". The
// default port of the scheme (80, 443) may be left out, as browsers do.
QStringList allowedHosts(const QHostAddress& listen, quint16 port, bool tls,
                         const QStringList& machineNames,
                         const QList<QHostAddress>& localAddresses);
// How a host appears in a URL and a Host header: "10.0.0.7", "[fe80::1]", "box".
QString urlHost(const QHostAddress& address);

// ADDR:PORT of --listen: an IPv4 address, [IPv6] or localhost, port 0..65535 (0: a free one).
struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
};
std::optional<ListenAddress> parseListenAddress(const QString& text, QString& error);
