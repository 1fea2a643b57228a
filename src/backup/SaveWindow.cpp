#include "backup/SaveWindow.h"

#include "backup/SaveJob.h"
#include "core/ToolContext.h"

#include <QLabel>
#include <QProgressBar>

SaveWindow::SaveWindow(ToolContext& ctx, QWidget* owner)
    : GatewayJobWindow(ctx, "frmBackup", owner) {
    addButtonRow({});
    resize(560, 150);
}

SaveWindow::~SaveWindow() {
    abandon();
}

void SaveWindow::applyTexts() {
    setWindowTitle(say("Gateway-Konfiguration speichern", "Save gateway configuration"));
}

bool SaveWindow::running() const {
    return job_ && job_->running();
}

void SaveWindow::start(const QString& path, uint8_t address) {
    path_ = path;
    if (!begin(path, address))
        return;
    job_ = std::make_unique<SaveJob>(client(), ctx_.clock);
    job_->start(path, progress(),
                [this](const std::optional<StepFailure>& failure) { finished(failure); });
}

void SaveWindow::cancelJob() {
    if (job_)
        job_->cancel();
}

void SaveWindow::finished(const std::optional<StepFailure>& failure) {
    if (going_)
        return;
    setRunning(false);
    giveLineBack();
    if (!failure) {
        bar_progress->setValue(bar_progress->maximum());
        setState(say("Gespeichert in ", "Saved to ") + path_);
    } else if (failure->outcome == ExchangeOutcome::Cancelled) {
        setState(say("Abgebrochen: Es wurde nichts gespeichert.", "Cancelled: nothing was saved."));
    } else {
        setState(say("Nicht gespeichert: ", "Not saved: ") + failure->text(english()));
    }
}
