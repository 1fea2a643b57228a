#include "core/Localisation.h"

#include <QDir>

bool localiseSettings(ProgramSettings& s, const StoredSettingReader& read, int window) {
    s.InstallPath = read(kProductKey, "Pfad");
    s.LanguageCode = read(kProductKey, "Language");
    const bool english = s.LanguageCode == "1033";
    if (english) {
        s.HelpDocument = kEnglishHelp;
        s.Texts[1] = "Communication problems!";
        s.Texts[21] = "Set value";
        s.Texts[22] = "Transmit radio telegram";
        if (window == Windows::Status)
            s.Texts[14] = "Push learn-button ...";
    } else {
        s.LanguageCode = "1031";
        s.HelpDocument = kGermanHelp;
        s.Texts[14] = "Lerntaste drücken ...";
        s.Texts[20] = "Sensor ID eingelernt!";
        s.Texts[1] = "Kommunikationsproblem!";
        s.Texts[21] = "Wert übernehmen";
        s.Texts[22] = "Funktelegramm senden";
    }
    return english;
}

QString helpDocumentPath(const ProgramSettings& s) {
    QString path = s.InstallPath + s.HelpDocument;
    path.replace('\\', '/');
    return QDir::cleanPath(path);
}

QString fillIn(const QString& pattern, const QStringList& parts) {
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        const int n = i + 1 < pattern.size() ? pattern[i + 1].digitValue() : -1;
        if (c == '%' && n >= 1 && n <= parts.size()) {
            out += parts[n - 1];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}
