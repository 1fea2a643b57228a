#include "core/StoredSettings.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace {

// Reads a quoted string with \\ and \" escapes starting at text[pos] == '"'; pos moves past it.
bool readQuoted(const QString& text, qsizetype& pos, QString& out) {
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size())
            ++pos;
        out += text[pos];
    }
    return false;
}

QString hexUtf16(const QString& list) {
    QByteArray bytes;
    for (const QString& part : list.split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint v = part.trimmed().toUInt(&ok, 16);
        if (!ok || v > 0xFF)
            return {};
        bytes.append(char(v));
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / 2);
}

QString normalizedKey(QString key) {
    key = key.trimmed();
    while (key.endsWith('\\'))
        key.chop(1);
    return key;
}

} // namespace

namespace RegText {

QString decode(const QByteArray& bytes) {
    // regedit writes UTF-16LE with a byte order mark; hand-written files are UTF-8
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
        const qsizetype units = (bytes.size() - 2) / 2;
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), units);
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

QList<Line> logicalLines(const QString& text) {
    QList<Line> out;
    Line pending;
    const QStringList physical = text.split('\n');
    for (int i = 0; i < physical.size(); ++i) {
        if (pending.text.isEmpty())
            pending.first = i;
        pending.text += physical[i].trimmed();
        pending.last = i;
        // a hex value's trailing backslash continues it on the next line
        if (pending.text.endsWith('\\') && pending.text.contains("=hex")) {
            pending.text.chop(1);
            continue;
        }
        out << pending;
        pending = Line{};
    }
    if (!pending.text.isEmpty())
        out << pending;
    return out;
}

bool keyLine(const QString& line, QString& key) {
    if (!line.startsWith('['))
        return false;
    const qsizetype end = line.lastIndexOf(']');
    key = end > 1 ? normalizedKey(line.mid(1, end - 1)) : QString();
    return end > 1;
}

bool sameKey(const QString& a, const QString& b) {
    return normalizedKey(a).compare(normalizedKey(b), Qt::CaseInsensitive) == 0;
}

bool parseValue(const QString& line, Value& v) {
    qsizetype pos = 0;
    if (line.startsWith('@')) {
        v.name.clear();
        pos = 1;
    } else if (!readQuoted(line, pos, v.name)) {
        return false;
    }
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return false;
    const QString data = line.mid(pos + 1).trimmed();
    v.text.clear();
    if (data.startsWith('"')) {
        qsizetype p = 0;
        return readQuoted(data, p, v.text);
    }
    if (data.startsWith("hex(1):", Qt::CaseInsensitive))
        v.text = hexUtf16(data.mid(7));
    return true; // dword:, hex:, "-" and others: present but not a string
}

QString quoted(QString text) {
    text.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + text + '"';
}

} // namespace RegText

// The build names the installed settings file (below the installation's configuration folder).
#ifndef QRX_DEFAULT_SETTINGS_FILE
#define QRX_DEFAULT_SETTINGS_FILE "/etc/korvalund/qrx-qtx-rs485-modbus.reg"
#endif

QString storedSettingsPath() {
    const QByteArray env = qgetenv("QRX_SETTINGS_FILE");
    return env.isEmpty() ? QStringLiteral(QRX_DEFAULT_SETTINGS_FILE) : QString::fromLocal8Bit(env);
}

QString ReadStoredSettingFrom(const QByteArray& fileBytes, const QString& key,
                              const QString& valueName) {
    const QString wantedKey = "HKEY_LOCAL_MACHINE\\" + key;
    const QString wantedName = valueName == "@" ? QString() : valueName;
    bool inKey = false;
    QString found;
    for (const RegText::Line& line : RegText::logicalLines(RegText::decode(fileBytes))) {
        if (line.text.isEmpty() || line.text.startsWith(';'))
            continue;
        QString lineKey;
        if (line.text.startsWith('[')) {
            inKey = RegText::keyLine(line.text, lineKey) && RegText::sameKey(lineKey, wantedKey);
            continue;
        }
        RegText::Value v;
        if (inKey && RegText::parseValue(line.text, v) &&
            v.name.compare(wantedName, Qt::CaseInsensitive) == 0)
            found = v.text; // a later line for the same value wins
    }
    const qsizetype nul = found.indexOf(QChar(0));
    return nul >= 0 ? found.left(nul) : found;
}

namespace {
QString readSettingIn(const QString& path, const QString& key, const QString& valueName) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadStoredSettingFrom(file.read(1 << 20), key, valueName);
}
} // namespace

QString ReadStoredSetting(const QString& key, const QString& valueName) {
    return readSettingIn(storedSettingsPath(), key, valueName);
}

QString userSettingsPath() {
    const QString override = qEnvironmentVariable("QRX_USER_SETTINGS_FILE");
    if (!override.isEmpty())
        return override;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) // an unset or relative value is to be ignored
        config = QDir::homePath() + "/.config";
    return config + "/korvalund/qrx-qtx-rs485-modbus.reg";
}

QString ReadUserSetting(const QString& key, const QString& valueName) {
    return readSettingIn(userSettingsPath(), key, valueName);
}
