#pragma once
// The language of the windows for this user, without root: the menu entry act_language in
// "Extras" ("Sprache…", English "Tools" > "Language…") opens frmLanguage, which writes "Language"
// into the per-user settings file (keeping its other lines), where it wins over the
// installation's. Windows take it when they next load, as they take the stored language; the
// main window at the next start.

#include "core/Localisation.h"

#include <QDialog>

class MainWindowAccess;
class MessageBoxes;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

class LanguageWindow : public QDialog, protected WindowLanguage {
    Q_OBJECT
public:
    LanguageWindow(MainWindowAccess& main, MessageBoxes& messages, QWidget* owner);

    // Texts in the stored language, that language chosen.
    void Form_Load();
    // Writes the choice; when the file cannot be written a message box says why and the window
    // stays open.
    void bt_ok_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    MainWindowAccess& main_;
    MessageBoxes& messages_;
    QRadioButton* opt_language_0; // Deutsch
    QRadioButton* opt_language_1; // English
    QLabel* lbl_note;
    QPushButton* bt_ok;
    QPushButton* bt_cancel;
};

class LanguageMenu {
public:
    LanguageMenu(MainWindowAccess& main, MessageBoxes& messages, QMenu* extras, QWidget* owner);
    void applyEnglish();      // the entry's text
    LanguageWindow& window(); // frmLanguage, made on first use

private:
    MainWindowAccess& main_;
    MessageBoxes& messages_;
    QWidget* owner_;
    QAction* act_language;
    LanguageWindow* window_ = nullptr;
};
