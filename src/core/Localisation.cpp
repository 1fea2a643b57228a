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
