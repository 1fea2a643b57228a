#pragma once
// The save window frmBackup (menu "Extras" -> "Gateway-Konfiguration speichern…"): reads the
// whole gateway with progress and cancel, then writes the configuration file. It only shows and
// forwards: the work is SaveJob's.

#include "backup/GatewayJobWindow.h"

#include <memory>
#include <optional>

class SaveJob;
struct StepFailure;

class SaveWindow : public GatewayJobWindow {
    Q_OBJECT
public:
    SaveWindow(ToolContext& ctx, QWidget* owner);
    ~SaveWindow() override;

    // Shows the window and saves the gateway at address to path.
    void start(const QString& path, uint8_t address);
    bool running() const;

private:
    void applyTexts() override;
    void cancelJob() override;
    void finished(const std::optional<StepFailure>& failure);

    std::unique_ptr<SaveJob> job_;
    QString path_;
};
