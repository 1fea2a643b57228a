#pragma once
// The tool's stored settings: a text file in registry export syntax, read again at every call.
// Its path is $QRX_SETTINGS_FILE, else the installed one, <sysconfdir>/korvalund/
// qrx-qtx-rs485-modbus.reg (/etc/korvalund/... for the prefix /usr).

#include <QString>

// The string value valueName under HKEY_LOCAL_MACHINE\key (trailing backslash allowed; an empty
// valueName or "@" is the key's default value), cut at its first NUL. Empty when the file, key or
// value is missing or unreadable or the value is not a string.
QString ReadStoredSetting(const QString& key, const QString& valueName);

// The same over the text of a settings file, for a given file content.
QString ReadStoredSettingFrom(const QByteArray& fileBytes, const QString& key,
                              const QString& valueName);

QString storedSettingsPath();
