#include "platform/SecretFile.h"

#include <QFile>

std::optional<QByteArray> readSecretFile(const QString& path, const QString& option,
                                         const QString& what, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QString("%1: cannot read %2: %3").arg(option, path, f.errorString());
        return std::nullopt;
    }
    constexpr qint64 kMostBytes = 4096;
    const QByteArray content = f.read(kMostBytes + 1);
    if (content.size() > kMostBytes) {
        error = QString("%1: %2 is larger than 4 KiB; it holds the %3 on its first line")
                    .arg(option, path, what);
        return std::nullopt;
    }
    QByteArray secret = content.left(content.indexOf('\n'));
    if (secret.endsWith('\r'))
        secret.chop(1);
    if (secret.isEmpty()) {
        error = QString("%1: the first line of %2 is empty").arg(option, path);
        return std::nullopt;
    }
    return secret;
}
