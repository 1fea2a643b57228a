#pragma once
// The confirmation window Abfrage of a deletion: "Ja" writes zeros over the ORG byte and the ID
// of the row in CurrentRow and starts the slot watch; "Nein" and the close box change nothing.

#include <QDialog>

class QLabel;
class QPushButton;
struct ToolContext;

class DeleteConfirmWindow : public QDialog {
    Q_OBJECT
public:
    DeleteConfirmWindow(ToolContext& ctx, QWidget* owner);

    void Form_Load();
    void Ja_Click();
    void Nein_Click();

private:
    ToolContext& ctx_;
    QLabel* lbl_request;
    QPushButton* Ja;
    QPushButton* Nein;
};
