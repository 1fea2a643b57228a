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

TEST(LanguageWindow, TheUsersLanguageWinsFromTheNextWindowLoad) {
    QTemporaryDir dir;
    UserFileAt system(dir.filePath("system.reg"), "QRX_SETTINGS_FILE"),
        user(dir.filePath("my.reg"));
    const QByteArray key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS";
    const QByteArray mine = "; mine\r\n" + key + "\\Ports]\r\n\"COM3\"=\"/dev/ttyUSB0\"\r\n";
    for (const auto& [name, text] :
         {std::pair{"system.reg", key + "]\n\"Language\"=\"1031\"\n"}, std::pair{"my.reg", mine}}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    }
    WindowSession session(std::make_unique<GatewayModel>(1, GatewayVariant::Transceiver, 3), {}, {},
                          ReadProgramSetting);
    auto* act = session.find<QAction>("act_language");
    EXPECT_EQ(act->text(), "Sprache…");
    act->trigger();
    QWidget* window = session.openWindow("frmLanguage");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->findChild<QRadioButton*>("opt_language_0")->isChecked());
    window->findChild<QRadioButton*>("opt_language_1")->setChecked(true);
    window->findChild<QPushButton*>("bt_ok")->click();
    EXPECT_FALSE(window->isVisible());

    QFile my(dir.filePath("my.reg"));
    ASSERT_TRUE(my.open(QIODevice::ReadOnly));
    const QByteArray text = my.readAll();
    EXPECT_TRUE(text.startsWith(mine) && text.endsWith("\r\n\"Language\"=\"1033\"\r\n"))
        << text.data();
    EXPECT_EQ(ReadStoredSetting(kProductKey, "Language"), "1031") << "the system file stays";
    session.find<QAction>("act_history")->trigger(); // a window loaded now is English
    EXPECT_EQ(session.w->historyWindow().windowTitle(), "History");
    session.w->historyWindow().close();
}
