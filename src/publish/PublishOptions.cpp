#include "publish/PublishOptions.h"

#include <QFile>
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

std::optional<std::pair<int, ScaleRange>> parseScale(const QString& text, QString& error) {
    static const QRegularExpression form(
        R"(^([0-3])=(-?[0-9]{1,9}(?:\.[0-9]{1,9})?)\.\.(-?[0-9]{1,9}(?:\.[0-9]{1,9})?)$)");
    const auto m = form.match(text);
    if (!m.hasMatch()) {
        error = QString("--scale takes BYTE=LOWER..UPPER, data byte 0..3 and two numbers "
                        "(\"0=-40..60\"), not \"%1\"")
                    .arg(text);
        return std::nullopt;
    }
    return std::make_pair(m.captured(1).toInt(), ScaleRange{m.captured(2), m.captured(3)});
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

std::optional<QByteArray> readPasswordFile(const QString& path, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QString("--password-file: cannot read %1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    constexpr qint64 kMostBytes = 4096;
    const QByteArray content = f.read(kMostBytes + 1);
    if (content.size() > kMostBytes) {
        error = QString("--password-file: %1 is larger than 4 KiB; it holds the password on its "
                        "first line")
                    .arg(path);
        return std::nullopt;
    }
    QByteArray password = content.left(content.indexOf('\n'));
    if (password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty()) {
        error = QString("--password-file: the first line of %1 is empty").arg(path);
        return std::nullopt;
    }
    return password;
}

QString defaultGatewayName(const QString& hostName, const QString& port, int address) {
    QString name = QString("%1-%2-%3").arg(hostName, port.section('/', -1)).arg(address);
    static const QRegularExpression other("[^A-Za-z0-9_-]");
    return name.replace(other, "_").left(100);
}
