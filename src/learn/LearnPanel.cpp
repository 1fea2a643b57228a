#include "learn/LearnPanel.h"

#include "core/ToolContext.h"
#include "learn/DeleteConfirmWindow.h"
#include "learn/LearnRequests.h"
#include "learn/SensorSettingsWindow.h"
#include "link/Answer.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"

namespace {
const QString kNoAddress = "No Modbus address choosen";

// Each showing is a fresh instance; the closed one goes away with the event loop.
template <class Window> void forget(QPointer<Window>& window) {
    if (!window)
        return;
    Window* old = window.data();
    window.clear();
    old->disconnect();
    old->hide();
    old->deleteLater();
}

template <class Window> void trackClose(QPointer<Window>& slot, Window* window) {
    slot = window;
    QObject::connect(window, &QDialog::finished, window, [&slot, window] {
        if (slot == window)
            forget(slot);
    });
}
} // namespace

LearnPanel::~LearnPanel() {
    delete settings_.data();
    delete confirm_.data();
}

void LearnPanel::attach(ToolContext& ctx) {
    ctx_ = &ctx;
    ctx.link.setAnswerHandler(RequestKinds::StartLearnMode,
                              [this](const Answer& a) { startLearnModeAnswer(a); });
    ctx.link.setAnswerHandler(RequestKinds::ReadInversionFlag,
                              [this](const Answer& a) { inversionFlagAnswer(a); });
}

void LearnPanel::bt_learn_Click(int row) {
    if (!ctx_ || !isSensorRow(row))
        return;
    ProgramSettings& s = ctx_->settings;
    s.RequestKind = RequestKinds::ReadInversionFlag;
    ctx_->sensors.setReadChecked(false); // the continuous table read stops
    ctx_->timers.Timer1.setEnabled(false);
    const std::optional<QString> address = gatewayAddress(ctx_->main);
    if (!address)
        ctx_->messages.show(kNoAddress);
    s.CurrentRow = static_cast<int16_t>(row);
    s.LearnRow = static_cast<int16_t>(row);
    if (address) {
        s.RequestText = inversionFlagReadRequest(*address, row);
        ctx_->link.send();
    }
    openSettingsWindow();
}

void LearnPanel::openSettingsWindow() {
    forget(settings_);
    auto* window = new SensorSettingsWindow(*ctx_, ctx_->main.ownerWindow());
    trackClose(settings_, window);
    window->Form_Load();
    window->open(); // window-modal; no nested loop, so timers and answers go on
}

void LearnPanel::bt_delete_Click(int row) {
    if (!ctx_ || !isSensorRow(row))
        return;
    ProgramSettings& s = ctx_->settings;
    s.CurrentRow = static_cast<int16_t>(row);
    s.RegisterCounter = static_cast<int16_t>(row * 10);
    forget(confirm_);
    auto* window = new DeleteConfirmWindow(*ctx_, ctx_->main.ownerWindow());
    trackClose(confirm_, window);
    window->Form_Load();
    window->open();
}

// Any complete answer counts: learn mode is on, the wait for the learn button begins.
void LearnPanel::startLearnModeAnswer(const Answer&) {
    if (ctx_->settings.ModeText == "RTU")
        ctx_->link.resetReceiveState();
    ctx_->settings.RequestKind = RequestKinds::WatchSensorSlot;
    ctx_->main.ShowMsgWindow();
}

// Read-coils answer of one coil: address, 01, byte count 01, the coil in bit 0 of the data byte.
void LearnPanel::inversionFlagAnswer(const Answer& answer) {
    const bool inverted = answer.chars(8, 1) == "1";
    const int row = ctx_->settings.LearnRow;
    if (inverted && settings_)
        settings_->tickInvert();
    if (isSensorRow(row))
        ctx_->sensors.setInversionShade(row, inverted);
}
