#include "publish/PublishOptions.h"

#include <QRegularExpression>
#include <QUrl>

bool parseBrokerUrl(const QString& text, BrokerSettings& broker, QString& error) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    error =
        QString("--broker takes mqtt://HOST[:PORT] or mqtts://HOST[:PORT], not \"%1\"").arg(text);
    if (!url.isValid() || (scheme != "mqtt" && scheme != "mqtts") || url.host().isEmpty() ||
        !(url.path().isEmpty() || url.path() == "/") || url.hasQuery() || url.hasFragment())
        return false;
    if (!url.userInfo().isEmpty()) {
        error = "--broker: give the user with --username and the password with --password-file";
        return false;
    }
    broker.tls = scheme == "mqtts";
    broker.host = url.host();
    broker.port = url.port(broker.tls ? 8883 : 1883);
    error.clear();
    return true;
}

bool validPrefix(const QString& text) {
    static const QRegularExpression level("^[^/+#\\x00-\\x1f]+$");
    if (text.isEmpty() || text.size() > 200)
        return false;
    for (const QString& l : text.split('/'))
        if (!level.match(l).hasMatch())
            return false;
    return true;
}

bool validName(const QString& text) {
    static const QRegularExpression name("^[A-Za-z0-9_-]{1,100}$");
    return name.match(text).hasMatch();
}

QString defaultGatewayName(const QString& hostName, const QString& port, int address) {
    QString name = QString("%1-%2-%3").arg(hostName, port.section('/', -1)).arg(address);
    static const QRegularExpression other("[^A-Za-z0-9_-]");
    return name.replace(other, "_").left(100);
}
