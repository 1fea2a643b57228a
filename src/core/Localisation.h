#pragma once
// The language and installation directory come from the stored settings at every window load;
// they choose the help document and fill the table of localised message texts.

#include "core/ProgramSettings.h"

#include <QString>
#include <QStringList>
#include <functional>

// Reads a string value of a key under HKEY_LOCAL_MACHINE; empty when missing.
using StoredSettingReader = std::function<QString(const QString& key, const QString& valueName)>;

inline const QString kProductKey = "SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\";
inline const QString kGermanHelp = "\\Doc\\QRX-QTX-RS485_MODBUS.pdf";
inline const QString kEnglishHelp = "\\Doc\\QRX-QTX-RS485_MODBUS_engl.pdf";

// Window numbers of the localisation.
namespace Windows {
inline constexpr int Main = 0;
inline constexpr int Confirmation = 1;
inline constexpr int About = 2;
inline constexpr int Status = 3;
inline constexpr int SensorSettings = 4;
// the tool's own windows of the menu "Extras"
inline constexpr int Ports = 5;
inline constexpr int History = 6;
inline constexpr int Traffic = 7;
inline constexpr int Scan = 8;
inline constexpr int Backup = 9;
inline constexpr int Language = 10;
inline constexpr int Commission = 11;
} // namespace Windows

// The stored settings as the program reads them: "Language" from the per-user file when it holds
// one (so that a user without root chooses the language), everything else from the system file.
QString ReadProgramSetting(const QString& key, const QString& valueName);
inline constexpr const char* kLanguageValue = "Language";
inline const QString kGermanCode = "1031";
inline const QString kEnglishCode = "1033";

// Fills InstallPath, LanguageCode ("1031" unless the store says "1033"), HelpDocument and the
// Texts entries of the language; true when window n takes its English texts.
bool localiseSettings(ProgramSettings& settings, const StoredSettingReader& read, int window);

// The language a window took at its last load, and its texts by it: the windows of the menu
// "Extras" have a German and an English text for every caption.
class WindowLanguage {
protected:
    QString say(const char* german, const char* english) const {
        return QString::fromUtf8(english_ ? english : german);
    }
    bool english_ = false;
};

// A message pattern with %1..%9 filled in one pass: what is put in (a path, a value from a file)
// is never read again, so a "%2" in a user's text stays as it is.
QString fillIn(const QString& pattern, const QStringList& parts);

// A table of messages by kind, each in German and English (refusals of a file, say).
template <class Kind> struct MessageWording {
    Kind kind;
    const char* german;
    const char* english;
};
// The message of `kind` in the language with its parts filled in; empty when the table has none.
template <class Kind, size_t N>
QString wordingOf(const MessageWording<Kind> (&table)[N], Kind kind, bool english,
                  const QStringList& parts) {
    for (const MessageWording<Kind>& w : table)
        if (w.kind == kind)
            return fillIn(QString::fromUtf8(english ? w.english : w.german), parts);
    return QString();
}

// The help document's path: InstallPath + HelpDocument, backslashes as path separators.
QString helpDocumentPath(const ProgramSettings& settings);
