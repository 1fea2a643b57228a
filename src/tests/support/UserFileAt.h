#pragma once
// Points a settings file elsewhere for one test: the user's (QRX_USER_SETTINGS_FILE) or the
// installation's (QRX_SETTINGS_FILE).

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct SettingsFileAt {
    SettingsFileAt(const char* variable, const QString& path)
        : variable(variable)
        , saved(qgetenv(variable)) {
        qputenv(variable, path.toLocal8Bit());
    }
    ~SettingsFileAt() { qputenv(variable, saved); }
    const char* variable;
    QByteArray saved;
};

struct UserFileAt : SettingsFileAt {
    explicit UserFileAt(const QString& path)
        : SettingsFileAt("QRX_USER_SETTINGS_FILE", path) {}
};
