// Where a COM entry points: the user's and the system's Ports keys merged, and the user's file
// changed without losing what else it holds.

#include "ports/PortMap.h"
#include "core/StoredSettings.h"
#include "ports/UserPortsFile.h"
#include "support/UserFileAt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
SettingReader readerOf(const char* ports) {
    const QByteArray text = QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-"
                                       "MODBUS\\Ports]\n") +
                            ports;
    return [text](const QString& key, const QString& name) {
        return ReadStoredSettingFrom(text, key, name);
    };
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kKeyLine = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports]";
} // namespace

TEST(PortMap, TheUsersEntryWinsTogetherWithItsRs485Option) {
    using S = PortMapping::Source;
    struct Case {
        const char *system, *user;
        PortMapping expected;
    } cases[] = {
        {"", "", {"/dev/ttyS2", false, S::Default}},
        {"\"COM3\"=\"/dev/ttyUSB0\"\n\"COM3 RS485\"=\"on\"\n",
         "",
         {"/dev/ttyUSB0", true, S::System}},
        {"", "\"com3\"=\" simulator \"\n", {"simulator", false, S::User}},
        // the system's option does not stick to the user's mapping
        {"\"COM3\"=\"/dev/ttyUSB0\"\n\"COM3 RS485\"=\"on\"\n",
         "\"COM3\"=\"/dev/ttyACM0\"\n",
         {"/dev/ttyACM0", false, S::User}},
        {"\"COM3\"=\"/dev/ttyUSB0\"\n",
         "\"COM3\"=\"  \"\n\"COM4\"=\"/dev/x\"\n",
         {"/dev/ttyUSB0", false, S::System}},
        {"",
         "\"COM3\"=\"/dev/ttyUSB1\"\n\"COM3 RS485\"=\"off\"\n",
         {"/dev/ttyUSB1", false, S::User, true}},
    };
    for (const Case& c : cases) {
        const PortMapping got = resolvePort(3, readerOf(c.system), readerOf(c.user));
        EXPECT_EQ(got, c.expected)
            << c.system << " | " << c.user << " -> " << got.target.toStdString();
    }
}

TEST(PortMap, TheUsersFileLiesBelowTheConfigFolder) {
    const QString mine = userSettingsPath();
    {
        UserFileAt none("");
        qputenv("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(userSettingsPath(), "/cfg/korvalund/qrx-qtx-rs485-modbus.reg");
        qputenv("XDG_CONFIG_HOME", "relative"); // to be ignored
        EXPECT_EQ(userSettingsPath(),
                  QDir::homePath() + "/.config/korvalund/qrx-qtx-rs485-modbus.reg");
        qunsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(userSettingsPath(), mine);
}

TEST(UserPortsFile, ASaveChangesOneEntryAndKeepsEverythingElse) {
    const QString key = kKeyLine;
    struct Case {
        QString before;
        std::optional<PortMapping> mapping;
        QString after;
    } cases[] = {
        // a new file
        {"", PortMapping{"/dev/serial/by-id/usb-FTDI_A1-if00-port0", true},
         "Windows Registry Editor Version 5.00\n\n; qrx-config: your own settings (COM port "
         "mappings, language), written by its windows\n\n" +
             key +
             "\n\"COM3\"=\"/dev/serial/by-id/usb-FTDI_A1-if00-port0\"\n\"COM3 RS485\"=\"on\"\n"},
        // replaced where the others are; other keys, values, comments and COM40 stay
        {"; mine\n[HKEY_CURRENT_USER\\X]\n\"COM3\"=\"keep\"\n\n" + key +
             "\n\"COM1\"=\"/dev/a\"\n\"com3 "
             "rs485\"=\"on\"\n\"COM3\"=\"/dev/old\"\n\"COM40\"=\"/dev/b\"\n"
             "\n[HKEY_LOCAL_MACHINE\\Other]\n\"V\"=dword:00000001\n",
         PortMapping{"simulator"},
         "; mine\n[HKEY_CURRENT_USER\\X]\n\"COM3\"=\"keep\"\n\n" + key +
             "\n\"COM1\"=\"/dev/a\"\n\"COM40\"=\"/dev/b\"\n\"COM3\"=\"simulator\"\n"
             "\n[HKEY_LOCAL_MACHINE\\Other]\n\"V\"=dword:00000001\n"},
        // removed; CR LF stays CR LF, a quote in a path is escaped
        {key + "\r\n\"COM3\"=\"/dev/x\"\r\n\"COM4\"=\"/dev/y\"\r\n", std::nullopt,
         key + "\r\n\"COM4\"=\"/dev/y\"\r\n"},
        {key + "\r\n", PortMapping{"/dev/a\"b", false, {}, true},
         key + "\r\n\"COM3\"=\"/dev/a\\\"b\"\r\n\"COM3 RS485\"=\"off\"\r\n"},
        // a file without the Ports key gets it at the end
        {"[HKEY_LOCAL_MACHINE\\Other]\n\"V\"=\"w\"", PortMapping{"/dev/ttyUSB0"},
         "[HKEY_LOCAL_MACHINE\\Other]\n\"V\"=\"w\"\n\n" + key + "\n\"COM3\"=\"/dev/ttyUSB0\"\n"},
    };
    for (const Case& c : cases) {
        int bad = -1;
        const auto after = withPortMapping(c.before, 3, c.mapping, bad);
        ASSERT_TRUE(after) << c.before.toStdString();
        EXPECT_EQ(*after, c.after) << c.before.toStdString();
        EXPECT_EQ(bad, 0);
    }
}

TEST(UserPortsFile, AFileItCannotParseIsNeverOverwritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("korvalund/ports.reg");
    using K = PortsFileStatus::Kind;
    EXPECT_EQ(inspectPortsFile(path).kind, K::Missing);
    EXPECT_EQ(savePortMapping(path, 5, PortMapping{"/dev/ttyUSB0"}).kind,
              K::Ok); // makes the folder
    UserFileAt user(path);
    EXPECT_EQ(resolvePort(5, {}).target, "/dev/ttyUSB0");
    EXPECT_EQ(resolvePort(5, {}).source, PortMapping::Source::User);

    struct Case {
        QByteArray content;
        K kind;
        int line;
    } cases[] = {{"Windows Registry Editor Version 5.00\n\n" + kKeyLine.toUtf8() +
                      "\n\"COM1\"=\"/dev/a\"\nCOM2=/dev/b\n",
                  K::Malformed, 5},
                 {"\"COM1\"=\"/dev/a\"\n", K::Malformed, 1}, // a value without a key
                 {"[HKEY_LOCAL_MACHINE\\X\n", K::Malformed, 1},
                 {"[HKEY_LOCAL_MACHINE\\X]\n\"V\"=\"\xC3(\"\n", K::NotText, 0}};
    for (const Case& c : cases) {
        writeFile(path, c.content);
        const PortsFileStatus s = savePortMapping(path, 5, PortMapping{"simulator"});
        EXPECT_EQ(s.kind, c.kind) << c.content.constData();
        EXPECT_EQ(s.line, c.line) << c.content.constData();
        EXPECT_EQ(fileBytes(path), c.content); // untouched
        EXPECT_EQ(inspectPortsFile(path).kind, c.kind);
    }
    EXPECT_EQ(savePortMapping(dir.path(), 5, PortMapping{"simulator"}).kind, K::Unreadable);
    EXPECT_EQ(QDir(dir.path() + "/korvalund").entryList(QDir::Files), QStringList{"ports.reg"})
        << "no temporary file is left behind";
}
