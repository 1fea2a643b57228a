#include "core/Localisation.h"

#include "core/StoredSettings.h"

#include <QDir>

QString ReadProgramSetting(const QString& key, const QString& valueName) {
    const bool language = RegText::sameKey(key, kProductKey) &&
                          valueName.compare(kLanguageValue, Qt::CaseInsensitive) == 0;
    const QString mine = language ? ReadUserSetting(key, valueName) : QString();
    return mine.isEmpty() ? ReadStoredSetting(key, valueName) : mine;
}

bool localiseSettings(ProgramSettings& s, const StoredSettingReader& read, int window) {
    s.InstallPath = read(kProductKey, "Pfad");
    s.LanguageCode = read(kProductKey, kLanguageValue);
    const bool english = s.LanguageCode == kEnglishCode;
    if (english) {
        s.HelpDocument = kEnglishHelp;
        s.Texts[1] = "Communication problems!";
        s.Texts[21] = "Set value";
        s.Texts[22] = "Transmit radio telegram";
        if (window == Windows::Status)
            s.Texts[14] = "Push learn-button ...";
    } else {
        s.LanguageCode = kGermanCode;
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
