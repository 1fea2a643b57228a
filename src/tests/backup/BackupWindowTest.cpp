// Save and restore through the whole main window against the in-process gateway, in German and
// English: the menu entries, the windows' texts, the line held while a job runs (the window's
// timers off, its row buttons disabled) and one pass of the table afterwards, the preview of the
// differences with a tick per row, the results per row, and what is refused before anything runs.

#include "backup/BackupMenu.h"
#include "backup/ConfigFile.h"
#include "backup/RestoreWindow.h"
#include "backup/SaveWindow.h"
#include "support/WindowSession.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Wording {
    const char* language;
    const char* backupEntry;
    const char* restoreEntry;
    const char* saveTitle;
    const char* saved;
    const char* restoreTitle;
    QStringList headers;
    const char* differing;
    const char* changes;
    const char* verified;
    const char* summary;
    const char* notConnected;
    const char* badFile;
};

const Wording kGerman{"1031",
                      "Gateway-Konfiguration speichern…",
                      "Gateway-Konfiguration wiederherstellen…",
                      "Gateway-Konfiguration speichern",
                      "Gespeichert in ",
                      "Gateway-Konfiguration wiederherstellen",
                      {"Zeile", "Bezeichnung", "Gateway → Datei", "Ergebnis"},
                      "2 Zeilen unterscheiden sich. Die angehakten Zeilen werden geschrieben.",
                      "ORG 00 → 05, ID 00000000 → 0021C488",
                      "geschrieben und geprüft",
                      "1 von 1 Zeilen geschrieben und geprüft.",
                      "Nicht verbunden: Bitte zuerst die Schnittstelle öffnen und warten, bis das "
                      "Gateway verbunden ist.",
                      "„sensors[0].org“: Das ORG „09“ ist nicht 00, 05, 06 oder 07."};
const Wording kEnglish{"1033",
                       "Save gateway configuration…",
                       "Restore gateway configuration…",
                       "Save gateway configuration",
                       "Saved to ",
                       "Restore gateway configuration",
                       {"Row", "Label", "Gateway → file", "Result"},
                       "2 rows differ. The ticked rows will be written.",
                       "ORG 00 → 05, ID 00000000 → 0021C488",
                       "written and verified",
                       "1 of 1 rows written and verified.",
                       "Not connected: please open the port first and wait until the gateway is "
                       "connected.",
                       "\"sensors[0].org\": ORG \"09\" is not 00, 05, 06 or 07."};

struct BackupSession : WindowSession {
    explicit BackupSession(const Wording& t)
        : WindowSession(makeDemoModel(), {}, t.language) {
        w->backupMenu().setFileDialogs(dialogs);
    }
    void trigger(const char* action) { find<QAction>(action)->trigger(); }
    void until(const std::function<bool()>& done) {
        for (int waited = 0; !done() && waited < 60000; waited += 10)
            clock.advance(10);
        ASSERT_TRUE(done());
    }
    bool passEnded() const { return s.RequestKind == RequestKinds::None && !s.FirstReadPending; }
    bool timersOff() {
        MainTimers& t = w->timers();
        return !t.Timer1.isEnabled() && !t.Timer2.isEnabled() && !t.Timer3.isEnabled();
    }
    bool rowButtonsOff() {
        return !find<QPushButton>("bt_learn_0")->isEnabled() &&
               !find<QPushButton>("bt_delete_0")->isEnabled() &&
               !find<QPushButton>("Command1_0")->isEnabled();
    }
    // The window's requests since `from`: one pass reads 40 blocks after the flags.
    int blockReadsSince(size_t from) const {
        int n = 0;
        for (size_t i = from; i < port->requestLog().size(); ++i)
            n += port->requestLog()[i].mid(1, 1) == QByteArray("\x03") &&
                 port->requestLog()[i].mid(4, 2) == QByteArray("\x00\x0A", 2);
        return n;
    }
    ScriptedFileDialogs dialogs;
};

class BackupWindows : public ::testing::TestWithParam<const Wording*> {};
} // namespace

TEST_P(BackupWindows, SaveThenRestoreWithTheLineHeldMeanwhile) {
    const Wording& t = *GetParam();
    BackupSession session(t);
    QTemporaryDir dir;
    session.dialogs.path = dir.filePath("gateway"); // the suffix is added
    const QString path = dir.filePath("gateway.qrxcfg");
    EXPECT_EQ(session.find<QAction>("act_backup")->text(), t.backupEntry);
    EXPECT_EQ(session.find<QAction>("act_restore")->text(), t.restoreEntry);

    // not connected: said so, no file asked for
    session.trigger("act_backup");
    EXPECT_EQ(session.messages.shown, QStringList{t.notConnected});
    EXPECT_TRUE(session.dialogs.asked.isEmpty());

    session.connect("RTU");
    session.until([&] { return session.passEnded(); });
    session.trigger("act_backup");
    EXPECT_EQ(session.dialogs.asked, QStringList{t.saveTitle});
    EXPECT_EQ(session.dialogs.suggestions, QStringList{"QTX40-2026-12-01.qrxcfg"});
    SaveWindow& save = session.w->backupMenu().saveWindow();
    ASSERT_TRUE(session.openWindow("frmBackup"));
    EXPECT_EQ(save.windowTitle(), t.saveTitle);
    session.clock.advance(100);
    EXPECT_TRUE(save.running() && save.holdsLine());
    EXPECT_TRUE(session.timersOff());
    EXPECT_TRUE(session.rowButtonsOff());
    session.until([&] { return !save.running(); });
    EXPECT_EQ(save.stateLabel()->text(), t.saved + path);
    EXPECT_FALSE(save.holdsLine());
    const size_t released = session.port->requestLog().size();
    session.clock.advance(20000);
    EXPECT_EQ(session.blockReadsSince(released), 40) << "one whole pass, then quiet";
    EXPECT_TRUE(session.find<QCheckBox>("chk_connected")->isChecked());
    EXPECT_TRUE(session.find<QPushButton>("bt_learn_0")->isEnabled());
    save.close();

    // the gateway changes: row 9 lost, row 4 learned; restore row 9 only
    session.model->handle(QByteArray::fromHex("0110005A000306000000000000")); // row 9 deleted
    session.model->learnSensor(4, 0x06, 0x00ABCDEF);
    session.dialogs.path = path;
    session.trigger("act_restore");
    RestoreWindow& restore = session.w->backupMenu().restoreWindow();
    ASSERT_TRUE(session.openWindow("frmRestore"));
    EXPECT_EQ(restore.windowTitle(), t.restoreTitle);
    session.until([&] { return !restore.running(); });
    EXPECT_TRUE(restore.holdsLine()) << "held while the user decides";
    EXPECT_TRUE(session.timersOff());
    QTableWidget* table = restore.differenceTable();
    ASSERT_EQ(table->rowCount(), 2);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(table->horizontalHeaderItem(c)->text(), t.headers[c]);
    EXPECT_EQ(restore.stateLabel()->text(), t.differing);
    EXPECT_EQ(table->item(0, 0)->text(), "Sensor 4");
    EXPECT_EQ(table->item(1, 0)->text(), "Sensor 9");
    EXPECT_EQ(table->item(1, 2)->text(), t.changes);
    table->item(0, 0)->setCheckState(Qt::Unchecked); // sensor 4 stays
    restore.findChild<QPushButton*>("bt_restore")->click();
    EXPECT_TRUE(session.rowButtonsOff());
    session.until([&] { return !restore.running(); });
    EXPECT_EQ(table->item(0, 3)->text(), "");
    EXPECT_EQ(table->item(1, 3)->text(), t.verified);
    EXPECT_EQ(restore.stateLabel()->text(), t.summary);
    EXPECT_FALSE(restore.holdsLine());
    EXPECT_EQ(session.model->reg(92), 0xC488) << "row 9 back";
    EXPECT_EQ(session.model->reg(40), 0x06) << "row 4 untouched";
    restore.close();
    session.model->learnSensor(9, 0x05, 0x0021C489); // the pass after the restore shows row 9
    session.clock.advance(20000);
    EXPECT_EQ(session.id(9), "0021C489");

    // a file that is not right is refused before anything runs
    QFile good(path), bad(dir.filePath("bad.qrxcfg"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly) && bad.open(QIODevice::WriteOnly));
    bad.write(good.readAll().replace("\"org\": \"05\"", "\"org\": \"09\""));
    bad.close();
    session.messages.shown.clear();
    session.dialogs.path = bad.fileName();
    session.trigger("act_restore");
    EXPECT_EQ(session.messages.shown, QStringList{t.badFile});
    EXPECT_FALSE(session.openWindow("frmRestore"));
}

// A file that is not a configuration is overwritten only after a box that names it, agreed.
TEST_P(BackupWindows, AFileThatIsNotAConfigurationIsOverwrittenOnlyWhenTheUserAgrees) {
    BackupSession session(*GetParam());
    QTemporaryDir dir;
    const QString path = session.dialogs.path = dir.filePath("notes.qrxcfg");
    QFile notes(path);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("site notes") > 0);
    notes.close();
    session.connect("RTU");
    session.until([&] { return session.passEnded(); });
    for (bool agree : {false, true}) {
        session.dialogs.overwrite = agree;
        session.trigger("act_backup");
        EXPECT_TRUE(session.dialogs.asked.last().contains(path)) << "the box names the file";
        session.clock.advance(20000);
        EXPECT_EQ(readConfigFile(path).config.has_value(), agree);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, BackupWindows, ::testing::Values(&kGerman, &kEnglish),
                         [](const auto& info) {
                             return QString(info.param->language) == "1033" ? std::string("English")
                                                                            : std::string("German");
                         });
