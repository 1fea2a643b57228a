#include "core/Localisation.h"

#include <gtest/gtest.h>

namespace {
StoredSettingReader storeWith(QString language, QString path = "/opt/qrx") {
    return [=](const QString& key, const QString& value) -> QString {
        if (key.compare(kProductKey, Qt::CaseInsensitive) != 0)
            return {};
        if (value == "Language")
            return language;
        if (value == "Pfad")
            return path;
        return {};
    };
}
} // namespace

TEST(Localisation, LanguageChoosesTextsAndHelpDocument) {
    struct Case {
        const char* stored;
        bool english;
        const char* code;
        const char* help;
        const char* alarm;
    } cases[] = {
        {"1033", true, "1033", "\\Doc\\QRX-QTX-RS485_MODBUS_engl.pdf", "Communication problems!"},
        {"1031", false, "1031", "\\Doc\\QRX-QTX-RS485_MODBUS.pdf", "Kommunikationsproblem!"},
        {"", false, "1031", "\\Doc\\QRX-QTX-RS485_MODBUS.pdf", "Kommunikationsproblem!"},
        {"1036", false, "1031", "\\Doc\\QRX-QTX-RS485_MODBUS.pdf", "Kommunikationsproblem!"},
        {" 1033", false, "1031", "\\Doc\\QRX-QTX-RS485_MODBUS.pdf", "Kommunikationsproblem!"},
    };
    for (const auto& c : cases) {
        ProgramSettings s;
        EXPECT_EQ(localiseSettings(s, storeWith(c.stored), Windows::Main), c.english) << c.stored;
        EXPECT_EQ(s.LanguageCode, c.code) << c.stored;
        EXPECT_EQ(s.HelpDocument, c.help) << c.stored;
        EXPECT_EQ(s.Texts.value(1), c.alarm) << c.stored;
        EXPECT_EQ(s.InstallPath, "/opt/qrx");
    }
}

TEST(Localisation, GermanFillsAllFiveEntries) {
    ProgramSettings s;
    localiseSettings(s, storeWith("1031"), Windows::Main);
    EXPECT_EQ(s.Texts.value(14), "Lerntaste drücken ...");
    EXPECT_EQ(s.Texts.value(20), "Sensor ID eingelernt!");
    EXPECT_EQ(s.Texts.value(21), "Wert übernehmen");
    EXPECT_EQ(s.Texts.value(22), "Funktelegramm senden");
}

TEST(Localisation, EnglishLearnPromptComesOnlyWithTheStatusWindow) {
    ProgramSettings s;
    localiseSettings(s, storeWith("1033"), Windows::Main);
    EXPECT_EQ(s.Texts.value(14), "");
    EXPECT_EQ(s.Texts.value(21), "Set value");
    EXPECT_EQ(s.Texts.value(22), "Transmit radio telegram");
    localiseSettings(s, storeWith("1033"), Windows::Status);
    EXPECT_EQ(s.Texts.value(14), "Push learn-button ...");
    EXPECT_EQ(s.Texts.value(20), ""); // English leaves the learn-in result empty
}

TEST(Localisation, TextsKeepTheLastCallsValues) {
    ProgramSettings s;
    localiseSettings(s, storeWith("1031"), Windows::Main);
    localiseSettings(s, storeWith("1033"), Windows::Main);
    EXPECT_EQ(s.Texts.value(20), "Sensor ID eingelernt!");
    EXPECT_EQ(s.Texts.value(1), "Communication problems!");
}

TEST(Localisation, HelpPathUsesSlashes) {
    ProgramSettings s;
    s.InstallPath = "/usr/share/qrx";
    s.HelpDocument = kEnglishHelp;
    EXPECT_EQ(helpDocumentPath(s), "/usr/share/qrx/Doc/QRX-QTX-RS485_MODBUS_engl.pdf");
    s.InstallPath = "C:\\Programme\\QRX";
    s.HelpDocument = kGermanHelp;
    EXPECT_EQ(helpDocumentPath(s), "C:/Programme/QRX/Doc/QRX-QTX-RS485_MODBUS.pdf");
}
