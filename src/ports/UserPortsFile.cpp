#include "ports/UserPortsFile.h"

#include "core/Localisation.h"
#include "core/StoredSettings.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <functional>

namespace {

constexpr qint64 kMaxFileBytes = 1 << 20; // as much as the settings reader reads

const QString kFullPortsKey = "HKEY_LOCAL_MACHINE\\" + kPortsKey;
// the product key without its trailing backslash, as a key line names it
const QString kFullProductKey = "HKEY_LOCAL_MACHINE\\" + kProductKey.chopped(1);

bool isHeader(const QString& line) {
    return line == "Windows Registry Editor Version 5.00" || line == "REGEDIT4";
}

// Where the file is not in the export syntax (from 1), or 0.
int firstMalformedLine(const QList<RegText::Line>& lines) {
    bool inKey = false, seenContent = false;
    for (const RegText::Line& l : lines) {
        if (l.text.isEmpty() || l.text.startsWith(';'))
            continue;
        QString key;
        RegText::Value v;
        const bool header = !seenContent && isHeader(l.text);
        seenContent = true;
        if (header)
            continue;
        if (RegText::keyLine(l.text, key))
            inKey = true;
        else if (!inKey || !RegText::parseValue(l.text, v))
            return l.first + 1;
    }
    return 0;
}

QString valueLine(const QString& name, const QString& value) {
    return RegText::quoted(name) + "=" + RegText::quoted(value);
}

QStringList entryLines(int commPort, const PortMapping& m) {
    QStringList out{valueLine(comValueName(commPort), m.target)};
    if (m.rs485 || m.rs485Off)
        out << valueLine(rs485ValueName(commPort), m.rs485 ? "on" : "off");
    return out;
}

} // namespace

std::optional<QString> withPortMapping(const QString& text, int commPort,
                                       const std::optional<PortMapping>& mapping,
                                       int& malformedLine) {
    return withKeyValues(text, kFullPortsKey, {comValueName(commPort), rs485ValueName(commPort)},
                         mapping ? entryLines(commPort, *mapping) : QStringList(), malformedLine);
}

std::optional<QString> withKeyValues(const QString& text, const QString& fullKey,
                                     const QStringList& names, const QStringList& valueLines,
                                     int& malformedLine) {
    const QList<RegText::Line> lines = RegText::logicalLines(text);
    malformedLine = firstMalformedLine(lines);
    if (malformedLine > 0)
        return std::nullopt;
    const QString eol = text.contains("\r\n") ? "\r" : ""; // before each '\n': keep CR LF files
    const QStringList physical = text.split('\n');
    QList<bool> drop(physical.size(), false);
    int insertAt = -1; // after the last line of the key's first section: new values join the others
    bool inKey = false, inFirstKey = false;
    for (const RegText::Line& l : lines) {
        QString key;
        RegText::Value v;
        if (RegText::keyLine(l.text, key)) {
            inKey = RegText::sameKey(key, fullKey);
            inFirstKey = inKey && insertAt < 0;
            if (inFirstKey)
                insertAt = l.last + 1;
            continue;
        }
        if (inFirstKey && !l.text.isEmpty())
            insertAt = l.last + 1;
        const bool ours =
            inKey && RegText::parseValue(l.text, v) && names.contains(v.name, Qt::CaseInsensitive);
        for (int i = l.first; ours && i <= l.last; ++i)
            drop[i] = true;
    }
    QStringList entry;
    for (const QString& line : valueLines)
        entry << line + eol;
    QStringList out;
    for (int i = 0; i < physical.size(); ++i) {
        if (i == insertAt)
            out << entry;
        if (!drop[i])
            out << physical[i];
    }
    if (insertAt >= physical.size())
        out << entry;
    QString result = out.join('\n');
    if (insertAt >= 0 || entry.isEmpty())
        return result;
    // no such key yet: a new one at the end
    if (text.trimmed().isEmpty())
        result = "Windows Registry Editor Version 5.00" + eol + "\n\n" +
                 "; qrx-config: your own settings (COM port mappings, language), written by its "
                 "windows" +
                 eol + "\n";
    else if (!result.endsWith('\n'))
        result += eol + "\n";
    result += eol + "\n[" + fullKey + "]" + eol + "\n";
    for (const QString& line : entry)
        result += line + "\n";
    return result;
}

namespace {

// The file's text for a change: nullopt and the status when it cannot be read.
std::optional<QString> readForChange(const QString& path, PortsFileStatus& status) {
    status = {};
    QFile file(path);
    if (!file.exists()) {
        status.kind = PortsFileStatus::Kind::Missing;
        return QString();
    }
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        status = {PortsFileStatus::Kind::Unreadable, 0,
                  QFileInfo(path).isDir() ? "is a folder" : file.errorString()};
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        status = {PortsFileStatus::Kind::Unreadable, 0, "larger than 1 MiB"};
        return std::nullopt;
    }
    const bool utf16 = bytes.startsWith("\xFF\xFE");
    if (!utf16) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        if (utf8.hasError() || text.contains(QChar(0))) {
            status.kind = PortsFileStatus::Kind::NotText;
            return std::nullopt;
        }
    }
    return RegText::decode(bytes);
}

} // namespace

PortsFileStatus inspectPortsFile(const QString& path) {
    PortsFileStatus status;
    const std::optional<QString> text = readForChange(path, status);
    if (!text || status.kind == PortsFileStatus::Kind::Missing)
        return status;
    int bad = 0;
    if (!withPortMapping(*text, 1, std::nullopt, bad))
        status = {PortsFileStatus::Kind::Malformed, bad, {}};
    return status;
}

namespace {
// The file at path changed by `change`, created with its folder when missing, written whole.
PortsFileStatus
saveChanged(const QString& path,
            const std::function<std::optional<QString>(const QString&, int&)>& change) {
    PortsFileStatus status;
    const std::optional<QString> text = readForChange(path, status);
    if (!text)
        return status;
    int bad = 0;
    const std::optional<QString> changed = change(*text, bad);
    if (!changed)
        return {PortsFileStatus::Kind::Malformed, bad, {}};
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (const std::optional<QString> reason = writeFileAtomically(path, changed->toUtf8()))
        return {PortsFileStatus::Kind::NotWritten, 0, *reason};
    return {};
}
} // namespace

PortsFileStatus savePortMapping(const QString& path, int commPort,
                                const std::optional<PortMapping>& mapping) {
    return saveChanged(path, [&](const QString& text, int& bad) {
        return withPortMapping(text, commPort, mapping, bad);
    });
}

PortsFileStatus saveUserLanguage(const QString& path, const QString& languageCode) {
    return saveChanged(path, [&](const QString& text, int& bad) {
        return withKeyValues(text, kFullProductKey, {kLanguageValue},
                             {valueLine(kLanguageValue, languageCode)}, bad);
    });
}
