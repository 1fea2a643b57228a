#pragma once
// The About window: product title, installed version, liability notice and the maker's
// contact details, in the stored language.

#include "core/Localisation.h"

#include <QDialog>

class DocumentOpener;
class MainWindowAccess;
class QLabel;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // Owned by the main window, which also localises it.
    AboutWindow(MainWindowAccess& main, StoredSettingReader read, DocumentOpener& opener);
    // Runs on every showing: texts, centring, version.
    void Form_Load();
    void lblemail_Click();
    void lblHyperlink_Click();

    static inline const QString kEmail = "info@korvalund.example";
    static inline const QString kWeb = "https://www.korvalund.example";

private:
    void showEvent(QShowEvent* event) override;
    QLabel* label(const QString& name, const QString& text);

    MainWindowAccess& main_;
    StoredSettingReader read_;
    DocumentOpener& opener_;
    QLabel* Label1;
    QLabel* lblVersion;
    QLabel* lbl_Software_Hinweis;
};
