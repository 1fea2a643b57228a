#pragma once
// The tool's stored settings: a text file in registry export syntax, read again at every call.
// Its path is $QRX_SETTINGS_FILE, else the installed one, <sysconfdir>/korvalund/
// qrx-qtx-rs485-modbus.reg (/etc/korvalund/... for the prefix /usr).

#include <QList>
#include <QString>

// The string value valueName under HKEY_LOCAL_MACHINE\key (trailing backslash allowed; an empty
// valueName or "@" is the key's default value), cut at its first NUL. Empty when the file, key or
// value is missing or unreadable or the value is not a string.
QString ReadStoredSetting(const QString& key, const QString& valueName);

// The same over the text of a settings file, for a given file content.
QString ReadStoredSettingFrom(const QByteArray& fileBytes, const QString& key,
                              const QString& valueName);

QString storedSettingsPath();

// The per-user settings file, in the same syntax: $QRX_USER_SETTINGS_FILE, else
// $XDG_CONFIG_HOME/korvalund/qrx-qtx-rs485-modbus.reg, where XDG_CONFIG_HOME defaults to
// ~/.config. It holds what a user without root sets: COM entries under the Ports key and the
// "Language", which win over the system file's.
QString userSettingsPath();
// A string value of the per-user file as it is now; empty as ReadStoredSetting's.
QString ReadUserSetting(const QString& key, const QString& valueName);

// The export syntax in pieces, for the per-user ports file, which the tool also writes.
namespace RegText {
QString decode(const QByteArray& fileBytes); // UTF-16LE with byte order mark, or UTF-8

struct Line {
    QString text;  // trimmed, continuation lines joined
    int first = 0; // its first and last physical line, from 0
    int last = 0;
};
QList<Line> logicalLines(const QString& text);

// A "[key]" line: its key without the brackets and trailing backslashes.
bool keyLine(const QString& line, QString& key);
bool sameKey(const QString& a, const QString& b); // regardless of case and trailing backslashes

struct Value {
    QString name; // empty for the default value "@"
    QString text; // empty for a value that is not a string
};
// A value line "name"=data; false for anything else.
bool parseValue(const QString& line, Value& v);
QString quoted(QString text); // "text" with \\ and \" escapes
} // namespace RegText
