#include "learn/StatusWindow.h"

#include "core/ToolContext.h"
#include "learn/LearnRequests.h"
#include "link/Link.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr int kBarMax = 10;
constexpr int kLearnWaitPeriodMs = 10000;
} // namespace

StatusWindow::StatusWindow() {
    setObjectName("frmState");
    setModal(false);
    // closing the main window ends the program, also while this window is open
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("Status");
    lblTxt = new QLabel("Waiting ...", this);
    lblTxt->setObjectName("lblTxt");
    Abbruch = new QPushButton("Abbruch", this);
    Abbruch->setObjectName("Abbruch");
    Abbruch->setAutoDefault(false);
    Abbruch->hide();
    frameProgress = new QFrame(this);
    frameProgress->setObjectName("frameProgress");
    ProgressFile = new QProgressBar(frameProgress);
    ProgressFile->setObjectName("ProgressFile");
    ProgressFile->setTextVisible(false);
    auto* barLayout = new QVBoxLayout(frameProgress);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addWidget(ProgressFile);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTxt);
    layout->addWidget(frameProgress);
    layout->addWidget(Abbruch, 0, Qt::AlignHCenter);
    setMinimumWidth(280);
    connect(Abbruch, &QPushButton::clicked, this, [this] { Abbruch_Click(); });
}

StatusWindow::~StatusWindow() = default;

void StatusWindow::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    // The step timer is made first: when a step and the period end fall on the same moment the
    // bar shows full before the period end resets or closes it.
    Timer2SW = ctx.clock.createTimer("Timer2SW", 100);
    Timer1SW = ctx.clock.createTimer("Timer1SW", 0);
    Timer2SW->setTickHandler([this] { Timer2SW_Timer(); });
    Timer1SW->setTickHandler([this] { Timer1SW_Timer(); });
}

void StatusWindow::ensureLoaded() {
    if (!loaded_)
        Form_Load();
}

void StatusWindow::Form_Load() {
    loaded_ = true;
    const bool english = ctx_->main.LocaliseWindow(3);
    if (english) {
        setWindowTitle("State");
        Abbruch->setText("Cancel");
        lblTxt->setText("Waiting ...");
    } else {
        setWindowTitle("Status");
        Abbruch->setText("Abbruch");
        lblTxt->setText("Warten ...");
    }
    Abbruch->hide();
    centreOnScreen(*this);
    resetProgress();
    Timer1SW->setEnabled(false);
    Timer2SW->setEnabled(false);
    Timer1SW->setInterval(0);
    Timer2SW->setInterval(0);
}

void StatusWindow::resetProgress() {
    frameProgress->show();
    ProgressStep = 0;
    ProgressFile->setRange(0, kBarMax);
    ProgressFile->setValue(0);
}

void StatusWindow::ShowMsg() {
    if (!ctx_)
        return;
    ensureLoaded();
    ProgramSettings& s = ctx_->settings;
    double periodMs = 0;
    switch (s.RequestKind) {
    case RequestKinds::None:
        CloseWindow();
        return;
    case RequestKinds::WatchSensorSlot:
        lblTxt->setText(s.Texts.value(14));
        periodMs = kLearnWaitPeriodMs;
        Abbruch->show();
        ctx_->timers.Timer2.setEnabled(true); // the slot watch starts now
        break;
    case RequestKinds::ReadSensorTable:
        // one and a half times what 32 polls at the Timer1 pace take
        periodMs = ctx_->timers.Timer1.interval() * 1.5 * 32;
        Abbruch->show();
        break;
    default:
        break; // no period: the window stays until cancelled or closed
    }
    resetProgress();
    // Disabled first, so that showing an open window again restarts both countdowns.
    Timer1SW->setEnabled(false);
    Timer2SW->setEnabled(false);
    Timer1SW->setInterval(clampTimerInterval(std::llround(periodMs)));
    Timer2SW->setInterval(clampTimerInterval(std::llround(periodMs / 10)));
    Timer1SW->setEnabled(true);
    Timer2SW->setEnabled(true);
}

void StatusWindow::showModeless() {
    if (!ctx_ || !loaded_)
        return;
    setWindowModality(Qt::NonModal);
    show();
}

bool StatusWindow::isShownNow() const {
    return loaded_ && isVisible();
}

void StatusWindow::Timer2SW_Timer() {
    if (ProgressFile->maximum() > ProgressStep)
        ++ProgressStep;
    else
        ProgressStep = static_cast<int16_t>(ProgressFile->maximum());
    ProgressFile->setValue(ProgressStep);
}

void StatusWindow::Timer1SW_Timer() {
    if (ctx_->settings.RequestKind == RequestKinds::WatchSensorSlot) {
        // the learn wait has no time-out: the bar starts again
        ProgressStep = 0;
        ProgressFile->setRange(0, kBarMax);
        ProgressFile->setValue(0);
        return;
    }
    Timer1SW->setEnabled(false);
    Timer2SW->setEnabled(false);
    CloseWindow();
}

void StatusWindow::Abbruch_Click() {
    if (!ctx_)
        return;
    ProgramSettings& s = ctx_->settings;
    if (s.RequestKind != RequestKinds::WatchSensorSlot) {
        s.RequestKind = RequestKinds::None;
        ctx_->timers.Timer1.setEnabled(false); // the table read stops
        ctx_->timers.Timer3.setEnabled(false);
        unload();
        return;
    }
    ctx_->timers.Timer2.setEnabled(false); // the slot watch stops
    s.RequestKind = RequestKinds::CancelLearn;
    const std::optional<QString> address = gatewayAddress(ctx_->main);
    if (!address || !isSensorRow(s.CurrentRow))
        return; // nothing sent; the period end closes the window
    s.RequestText = learnModeRequest(*address, s.CurrentRow, false);
    // The RTU frame takes the coil from RegisterCounter; a table read switched on during the
    // wait moves it, so it is set back to the learning row's block.
    s.RegisterCounter = static_cast<int16_t>(s.CurrentRow * 10);
    ctx_->link.send();
    unload();
}

void StatusWindow::CloseWindow() {
    if (!ctx_)
        return;
    ensureLoaded();
    Timer1SW->setEnabled(false);
    Timer2SW->setEnabled(false);
    const int32_t kind = ctx_->settings.RequestKind;
    if (kind == RequestKinds::None) {
        lblTxt->setText("Invalid state");
    } else if (kind == RequestKinds::WatchSensorSlot) {
        Abbruch->hide();
        lblTxt->setText(ctx_->settings.Texts.value(20));
    }
    frameProgress->hide();
    ctx_->timers.Timer2.setEnabled(false);
    unload();
}

void StatusWindow::Form_Unload() {
    if (ctx_)
        ctx_->timers.Timer2.setEnabled(false);
}

// However the window closes: its timers die with the load, the slot watch stops.
void StatusWindow::unload() {
    if (!loaded_)
        return;
    loaded_ = false;
    Timer1SW->setEnabled(false);
    Timer2SW->setEnabled(false);
    Form_Unload();
    hide();
}

void StatusWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void StatusWindow::reject() {
    unload();
}
