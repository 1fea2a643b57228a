#include "backup/GatewayJobWindow.h"

#include "backup/Backup.h"
#include "core/Localisation.h"
#include "core/ToolContext.h"
#include "link/Link.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

GatewayJobWindow::GatewayJobWindow(ToolContext& ctx, const QString& name, QWidget* owner,
                                   int windowNumber)
    : QWidget(owner, Qt::Window)
    , ctx_(ctx)
    , windowNumber_(windowNumber) {
    setObjectName(name);
    // the main window waits while the job holds its line
    setWindowModality(Qt::WindowModal);
    lbl_file = new QLabel(this);
    lbl_file->setObjectName("lbl_file");
    lbl_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbl_state = new QLabel(this);
    lbl_state->setObjectName("lbl_state");
    lbl_state->setWordWrap(true);
    bar_progress = new QProgressBar(this);
    bar_progress->setObjectName("bar_progress");
    bar_progress->setFormat("%v / %m");
    bt_cancel = new QPushButton(this);
    bt_cancel->setObjectName("bt_cancel");
    bt_cancel->setEnabled(false);
    bt_close = new QPushButton(this);
    bt_close->setObjectName("bt_close");
    connect(bt_cancel, &QPushButton::clicked, this, [this] { cancelJob(); });
    connect(bt_close, &QPushButton::clicked, this, &QWidget::close);
    column_ = new QVBoxLayout(this);
    column_->addWidget(lbl_file);
    column_->addWidget(bar_progress);
    column_->addWidget(lbl_state);
}

GatewayJobWindow::~GatewayJobWindow() = default;

bool GatewayJobWindow::jobRunning() const {
    return client_ && client_->busy();
}

void GatewayJobWindow::abandon() {
    going_ = true;
    if (jobRunning())
        cancelJob();
    giveLineBack();
}

void GatewayJobWindow::addButtonRow(std::initializer_list<QWidget*> own) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QWidget* b : own)
        buttons->addWidget(b);
    buttons->addWidget(bt_cancel);
    buttons->addWidget(bt_close);
    column_->addLayout(buttons);
}

void GatewayJobWindow::load() {
    english_ = ctx_.main.LocaliseWindow(windowNumber_);
    bt_cancel->setText(say("Abbrechen", "Cancel"));
    bt_close->setText(say("Schließen", "Close"));
    bar_progress->setValue(0);
    applyTexts();
    show();
    raise();
}

bool GatewayJobWindow::claimLine() {
    if (holdsLine_)
        return true;
    if (!ctx_.link.claimLine()) {
        setState(say("Ein anderer Vorgang benutzt die Leitung.", "Another job is using the line."));
        return false;
    }
    holdsLine_ = true;
    return true;
}

bool GatewayJobWindow::begin(const QString& file, uint8_t address) {
    load();
    lbl_file->setText(say("Datei: ", "File: ") + file);
    if (!claimLine())
        return false;
    client_ = std::make_unique<GatewayClient>(ctx_.link, address,
                                              backupExchangeOptions(ctx_.settings.ResponseTime));
    setRunning(true);
    setState(say("Das Gateway wird gelesen …", "Reading the gateway …"));
    return true;
}

std::function<void(int, int)> GatewayJobWindow::progress() {
    return [this](int done, int total) {
        bar_progress->setMaximum(total);
        bar_progress->setValue(done);
    };
}

void GatewayJobWindow::giveLineBack() {
    if (!holdsLine_)
        return;
    holdsLine_ = false;
    ctx_.link.releaseLine();
}

void GatewayJobWindow::setRunning(bool running) {
    bt_cancel->setEnabled(running);
}

void GatewayJobWindow::setState(const QString& text) {
    lbl_state->setText(text);
}

void GatewayJobWindow::closeEvent(QCloseEvent* event) {
    if (jobRunning())
        cancelJob();
    giveLineBack();
    QWidget::closeEvent(event);
}
