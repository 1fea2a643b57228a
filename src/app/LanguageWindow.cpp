#include "app/LanguageWindow.h"

#include "core/StoredSettings.h"
#include "core/ToolContext.h"
#include "platform/MessageBoxes.h"
#include "ports/PortTexts.h"
#include "ports/UserPortsFile.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

LanguageWindow::LanguageWindow(MainWindowAccess& main, MessageBoxes& messages, QWidget* owner)
    : QDialog(owner)
    , main_(main)
    , messages_(messages) {
    setObjectName("frmLanguage");
    setWindowModality(Qt::WindowModal);
    // the languages' own names, in either language
    opt_language_0 = new QRadioButton("Deutsch", this);
    opt_language_0->setObjectName("opt_language_0");
    opt_language_1 = new QRadioButton("English", this);
    opt_language_1->setObjectName("opt_language_1");
    lbl_note = new QLabel(this);
    lbl_note->setObjectName("lbl_note");
    lbl_note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    bt_ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    bt_ok->setObjectName("bt_ok");
    bt_cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    bt_cancel->setObjectName("bt_cancel");
    connect(bt_ok, &QPushButton::clicked, this, [this] { bt_ok_Click(); });
    connect(bt_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(opt_language_0);
    column->addWidget(opt_language_1);
    column->addWidget(lbl_note);
    column->addWidget(buttons);
    setMinimumWidth(380);
}

void LanguageWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        Form_Load();
    QDialog::showEvent(event);
}

void LanguageWindow::Form_Load() {
    english_ = main_.LocaliseWindow(Windows::Language);
    (english_ ? opt_language_1 : opt_language_0)->setChecked(true);
    setWindowTitle(say("Sprache", "Language"));
    lbl_note->setText(say("Gilt für Sie allein. Die Fenster zeigen sie, wenn sie das nächste Mal "
                          "geöffnet werden, das Hauptfenster beim nächsten Start.",
                          "For you alone. Windows show it when they are next opened, the main "
                          "window at the next start."));
    bt_ok->setText("OK");
    bt_cancel->setText(say("Abbrechen", "Cancel"));
}

void LanguageWindow::bt_ok_Click() {
    const QString path = userSettingsPath();
    const PortsFileStatus status =
        saveUserLanguage(path, opt_language_1->isChecked() ? kEnglishCode : kGermanCode);
    if (status.kind != PortsFileStatus::Kind::Ok) {
        messages_.show(portsFileProblem(status, path, english_));
        return;
    }
    accept();
}

LanguageMenu::LanguageMenu(MainWindowAccess& main, MessageBoxes& messages, QMenu* extras,
                           QWidget* owner)
    : main_(main)
    , messages_(messages)
    , owner_(owner) {
    extras->addSeparator();
    act_language = extras->addAction("Sprache…");
    act_language->setObjectName("act_language");
    QObject::connect(act_language, &QAction::triggered, [this] { window().open(); });
}

void LanguageMenu::applyEnglish() {
    act_language->setText("Language…");
}

LanguageWindow& LanguageMenu::window() {
    if (!window_)
        window_ = new LanguageWindow(main_, messages_, owner_);
    return *window_;
}
