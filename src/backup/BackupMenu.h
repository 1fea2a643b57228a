#pragma once
// The menu entries of backup and restore in "Extras" ("Tools"): act_backup saves the gateway's
// configuration to a file, act_restore restores one. Both need the window connected to the
// gateway; they ask for the file (through FileDialogs, which tests replace), refuse a file that
// is not a configuration with its reason (a save overwrites one only after a box that names
// what will be lost), and hand over to the save or restore window.

#include "platform/FileDialogs.h"

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;
class RestoreWindow;
class SaveWindow;
struct ToolContext;

class BackupMenu {
public:
    // connected: the port is open and the window connected (chk_connected).
    BackupMenu(ToolContext& ctx, std::function<bool()> connected, QMenu* extras, QWidget* owner);
    ~BackupMenu();

    void act_backup_Click();
    void act_restore_Click();
    void applyEnglish(); // the entries' texts
    void setFileDialogs(FileDialogs& dialogs) { dialogs_ = &dialogs; }

    SaveWindow& saveWindow();       // frmBackup, made on first use
    RestoreWindow& restoreWindow(); // frmRestore, made on first use

private:
    // The window's Modbus address when the window is connected; else says why not.
    std::optional<uint8_t> gatewayAddress(bool english);
    QString suggestedName() const;
    // A file at path that is not a configuration is overwritten only after the user agrees.
    bool mayOverwrite(const QString& path, bool english);

    ToolContext& ctx_;
    std::function<bool()> connected_;
    QWidget* owner_;
    QAction* act_backup;
    QAction* act_restore;
    QtFileDialogs qtDialogs_;
    FileDialogs* dialogs_ = &qtDialogs_;
    SaveWindow* save_ = nullptr;
    RestoreWindow* restore_ = nullptr;
};
