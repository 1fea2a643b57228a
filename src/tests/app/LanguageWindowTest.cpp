// The language without root: Extras > Sprache… writes "Language" into the user's own settings
// file, keeping its other lines, and it wins over the installation's from the next window load.

#include "core/StoredSettings.h"
#include "history/HistoryWindow.h"
#include "support/UserFileAt.h"
#include "support/WindowSession.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void write(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}
} // namespace

TEST(LanguageWindow, TheUsersLanguageWinsFromTheNextWindowLoad) {
    QTemporaryDir dir;
    SettingsFileAt system("QRX_SETTINGS_FILE", dir.filePath("system.reg"));
    UserFileAt user(dir.filePath("mine.reg"));
    write(dir.filePath("system.reg"), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-"
                                      "MODBUS]\n\"Language\"=\"1031\"\n");
    const QByteArray ports = "; mine\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-"
                             "MODBUS\\Ports]\r\n\"COM3\"=\"/dev/ttyUSB0\"\r\n";
    write(dir.filePath("mine.reg"), ports);
    WindowSession session(std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, 3), {}, {},
                          ReadProgramSetting);
    auto* act = session.find<QAction>("act_language");
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->text(), "Sprache…");
    act->trigger();
    QWidget* window = session.openWindow("frmLanguage");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->findChild<QRadioButton*>("opt_language_0")->isChecked());
    window->findChild<QRadioButton*>("opt_language_1")->setChecked(true);
    window->findChild<QPushButton*>("bt_ok")->click();
    EXPECT_FALSE(window->isVisible());

    QFile mine(dir.filePath("mine.reg"));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    const QByteArray text = mine.readAll();
    EXPECT_TRUE(text.startsWith(ports)) << text.toStdString();
    EXPECT_TRUE(text.contains("\r\n\"Language\"=\"1033\"\r\n")) << text.toStdString();
    EXPECT_EQ(ReadStoredSetting(kProductKey, "Language"), "1031") << "the system file stays";
    EXPECT_EQ(ReadProgramSetting(kProductKey, "Language"), "1033");

    session.find<QAction>("act_history")->trigger(); // a window loaded now is English
    EXPECT_EQ(session.w->historyWindow().windowTitle(), "History");
    session.w->historyWindow().close();
}
