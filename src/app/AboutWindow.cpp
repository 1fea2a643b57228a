#include "app/AboutWindow.h"

#include "core/ToolContext.h"
#include "platform/DocumentOpener.h"
#include "platform/WindowPlacement.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kGermanTitle = "Korvalund: Konfigurationssoftware für QRX_QTX-RS485-Modbus";
const QString kGermanNotice = "Für Schäden die durch Verwendung dieser Software an Hard- oder "
                              "Software entstehen wird keine Haftung übernommen.";
const QString kEnglishNotice = "Korvalund does not take over any liability for damages occurred "
                               "by the operation of the software.";
// The About window reads the product key in this spelling; key names compare without case.
const QString kAboutKey = "SOFTWARE\\Korvalund\\QRX-QTX-RS485-Modbus\\";

class ClickableLabel : public QLabel {
public:
    ClickableLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent)
        , onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
        setStyleSheet("color: blue; text-decoration: underline;");
    }

protected:
    void mouseReleaseEvent(QMouseEvent*) override { onClick_(); }

private:
    std::function<void()> onClick_;
};
} // namespace

AboutWindow::AboutWindow(MainWindowAccess& main, StoredSettingReader read, DocumentOpener& opener)
    : QDialog(main.ownerWindow())
    , main_(main)
    , read_(std::move(read))
    , opener_(opener) {
    setObjectName("fAbout");
    auto* grid = new QGridLayout(this);
    lblVersion = label("lblVersion", kGermanTitle);
    lblVersion->setStyleSheet("font-weight: bold;");
    grid->addWidget(lblVersion, 0, 0, 1, 2);
    grid->addWidget(label("Label2", "Version:"), 1, 0);
    Label1 = label("Label1", "");
    grid->addWidget(Label1, 1, 1);
    grid->addWidget(label("lblMaker", "Korvalund"), 2, 0, 1, 2);
    grid->addWidget(label("lblAddress", "Korvalund Funktechnik\nBeispielweg 1\n00000 Musterstadt"),
                    3, 0, 1, 2);
    grid->addWidget(label("lbltxtEmail", "E-Mail:"), 4, 0);
    auto* mail = new ClickableLabel(
        kEmail, [this] { lblemail_Click(); }, this);
    mail->setObjectName("lblemail");
    grid->addWidget(mail, 4, 1);
    grid->addWidget(label("lbltxtHyperlink", "Internet:"), 5, 0);
    auto* web = new ClickableLabel(
        kWeb, [this] { lblHyperlink_Click(); }, this);
    web->setObjectName("lblHyperlink");
    grid->addWidget(web, 5, 1);
    lbl_Software_Hinweis = label("lbl_Software_Hinweis", kGermanNotice);
    lbl_Software_Hinweis->setWordWrap(true);
    grid->addWidget(lbl_Software_Hinweis, 6, 0, 1, 2);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 7, 1, Qt::AlignRight);
    setFixedWidth(460);
}

QLabel* AboutWindow::label(const QString& name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
}

void AboutWindow::Form_Load() {
    setWindowTitle("Information");
    lblVersion->setText(kGermanTitle);
    lbl_Software_Hinweis->setText(kGermanNotice);
    if (main_.LocaliseWindow(Windows::About)) {
        lblVersion->setText("Korvalund: Configuration software for QRX-QTX-RS485-Modbus");
        lbl_Software_Hinweis->setText(kEnglishNotice);
    }
    adjustSize();
    centreOnScreen(*this);
    Label1->setText(read_(kAboutKey, "Version"));
    if (read_(kAboutKey, "Language") == "1033") {
        setWindowTitle("About");
        lblVersion->setText("Korvalund: Configuration software for QTX-RS485-Modbus");
        lbl_Software_Hinweis->setText(kEnglishNotice);
    }
}

void AboutWindow::showEvent(QShowEvent* event) {
    Form_Load();
    QDialog::showEvent(event);
}

void AboutWindow::lblemail_Click() {
    opener_.open("mailto:" + kEmail);
}
void AboutWindow::lblHyperlink_Click() {
    opener_.open(kWeb);
}
