#pragma once
// The per-user settings file, the one settings file the tool writes, and only when the user saves
// in the Ports window or chooses the language (Extras > Sprache…). A save changes the two values
// of one COM entry ("COMn" and "COMn RS485" under the Ports key), or "Language" under the
// product key, and keeps every other line as it stands: other keys, values, comments. A file that
// is not in the export syntax is never overwritten. Writing is atomic (temporary file, then
// rename), so a failed save leaves the old file whole.

#include "ports/PortMap.h"

#include <QString>
#include <QStringList>
#include <optional>

struct PortsFileStatus {
    enum class Kind {
        Ok,         // parsed (or saved)
        Missing,    // no file yet: a save creates it
        Unreadable, // reason says why
        NotText,    // not UTF-8 or UTF-16 text
        Malformed,  // line says where
        NotWritten, // the save failed; reason says why, the old file is untouched
    };
    Kind kind = Kind::Ok;
    int line = 0; // Malformed: the first line (from 1) that is not the export syntax
    QString reason;

    bool usable() const { return kind == Kind::Ok || kind == Kind::Missing; }
};

// The file's text with COMn mapped to mapping, or its entry removed (nullopt); malformedLine
// (from 1) is set when the text is not in the export syntax, and nullopt returned.
std::optional<QString> withPortMapping(const QString& text, int commPort,
                                       const std::optional<PortMapping>& mapping,
                                       int& malformedLine);

// The file's text with the values `names` of fullKey ("HKEY_LOCAL_MACHINE\\...") removed and
// valueLines ("\"name\"=\"text\"") put where the key's first section ends, or in a new section
// at the end; as withPortMapping when the text is not in the export syntax.
std::optional<QString> withKeyValues(const QString& text, const QString& fullKey,
                                     const QStringList& names, const QStringList& valueLines,
                                     int& malformedLine);

// Whether the file at path can be read and parsed.
PortsFileStatus inspectPortsFile(const QString& path);
// Maps COMn (or removes its entry) in the file at path, creating file and folder when missing.
PortsFileStatus savePortMapping(const QString& path, int commPort,
                                const std::optional<PortMapping>& mapping);
// Sets "Language" ("1031" German, "1033" English) in the file at path, as savePortMapping.
PortsFileStatus saveUserLanguage(const QString& path, const QString& languageCode);
