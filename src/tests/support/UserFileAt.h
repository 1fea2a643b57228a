#pragma once
// Points the user's ports file (QRX_USER_SETTINGS_FILE) elsewhere for one test.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct UserFileAt {
    QByteArray saved = qgetenv("QRX_USER_SETTINGS_FILE");
    explicit UserFileAt(const QString& path) {
        qputenv("QRX_USER_SETTINGS_FILE", path.toLocal8Bit());
    }
    ~UserFileAt() { qputenv("QRX_USER_SETTINGS_FILE", saved); }
};
