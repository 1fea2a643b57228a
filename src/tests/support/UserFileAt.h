#pragma once
// Points the user's settings file (QRX_USER_SETTINGS_FILE), or another, elsewhere for one test.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct UserFileAt {
    const char* variable;
    QByteArray saved = qgetenv(variable);
    explicit UserFileAt(const QString& path, const char* variable = "QRX_USER_SETTINGS_FILE")
        : variable(variable) {
        qputenv(variable, path.toLocal8Bit());
    }
    ~UserFileAt() { qputenv(variable, saved); }
};
