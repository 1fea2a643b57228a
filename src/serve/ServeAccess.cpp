#include "serve/ServeAccess.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <array>

bool ServeAccess::tokenMatches(QByteArrayView given) const {
    return !token.isEmpty() && sameSecret(given, token);
}

bool ServeAccess::hostAllowed(QByteArrayView hostHeader) const {
    return hosts.contains(QString::fromLatin1(hostHeader).trimmed().toLower());
}

QByteArray randomToken() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.data()), sizeof(words)).toHex();
}

QByteArray bearerToken(QByteArrayView authorization) {
    const QByteArray text = authorization.toByteArray().trimmed();
    if (text.size() < 8 || text.left(7).toLower() != "bearer ")
        return {};
    return text.mid(7).trimmed();
}

bool sameSecret(QByteArrayView given, QByteArrayView expected) {
    // every byte of the guess is compared, whatever matched before: the answer's time tells an
    // attacker nothing of how much of a guess was right
    unsigned difference = given.size() != expected.size();
    for (qsizetype i = 0; i < given.size(); ++i) {
        const uint8_t e = expected.isEmpty() ? 0 : uint8_t(expected[i % expected.size()]);
        difference |= uint8_t(given[i]) ^ e;
    }
    return difference == 0;
}

QString urlHost(const QHostAddress& address) {
    if (address == QHostAddress::LocalHost)
        return "127.0.0.1";
    const QString text = address.toString();
    return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text;
}

QStringList allowedHosts(const QHostAddress& listen, quint16 port, bool tls,
                         const QStringList& machineNames,
                         const QList<QHostAddress>& localAddresses) {
    QStringList names;
    const bool wildcard = listen == QHostAddress::Any || listen == QHostAddress::AnyIPv4 ||
                          listen == QHostAddress::AnyIPv6;
    if (wildcard) {
        for (const QHostAddress& a : localAddresses)
            if (a.scopeId().isEmpty()) // link-local addresses with a zone are left out
                names << urlHost(a);
    } else {
        names << urlHost(listen);
    }
    if (wildcard || listen.isLoopback())
        names << "localhost";
    if (!listen.isLoopback())
        for (const QString& name : machineNames)
            if (!name.isEmpty())
                names << name;
    QStringList hosts;
    const quint16 defaultPort = tls ? 443 : 80;
    for (const QString& name : names) {
        hosts << QString("%1:%2").arg(name.toLower()).arg(port);
        if (port == defaultPort)
            hosts << name.toLower();
    }
    hosts.removeDuplicates();
    return hosts;
}

std::optional<ListenAddress> parseListenAddress(const QString& text, QString& error) {
    static const QRegularExpression form(
        R"(^(\[[0-9A-Fa-f:.]+\]|[0-9.]+|localhost):([0-9]{1,5})$)");
    const auto m = form.match(text);
    ListenAddress listen;
    const int port = m.hasMatch() ? m.captured(2).toInt() : -1;
    QString host = m.captured(1);
    if (host == "localhost")
        host = "127.0.0.1";
    else if (host.startsWith('['))
        host = host.mid(1, host.size() - 2);
    const bool ipv6 = m.captured(1).startsWith('[');
    if (port < 0 || port > 65535 || !listen.address.setAddress(host) ||
        (listen.address.protocol() == QAbstractSocket::IPv6Protocol) != ipv6) {
        error = QString("--listen takes ADDRESS:PORT (127.0.0.1:8080, 0.0.0.0:8080, [::]:8080), "
                        "not \"%1\"")
                    .arg(text);
        return std::nullopt;
    }
    listen.port = quint16(port);
    return listen;
}
