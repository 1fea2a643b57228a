#pragma once
// Learn-in, deletion and inversion of the sensor rows: the handlers of the main window's
// bt_learn and bt_delete buttons, the answers to request kinds 2 (learn mode started) and 6
// (one row's inversion flag), and the two windows they open.

#include "learn/DeleteConfirmWindow.h"
#include "learn/SensorSettingsWindow.h"

#include <QObject>
#include <QPointer>

class Answer;
struct ToolContext;

class LearnPanel : public QObject {
    Q_OBJECT
public:
    LearnPanel() = default;
    ~LearnPanel() override;

    // Registers the answer handlers of request kinds 2 and 6 with the link.
    void attach(ToolContext& ctx);

    void bt_learn_Click(int row);
    void bt_delete_Click(int row);

    void startLearnModeAnswer(const Answer& answer); // request kind 2
    void inversionFlagAnswer(const Answer& answer);  // request kind 6

    // The open windows, or nullptr.
    SensorSettingsWindow* settingsWindow() const { return settings_; }
    DeleteConfirmWindow* confirmWindow() const { return confirm_; }

private:
    void openSettingsWindow();

    ToolContext* ctx_ = nullptr;
    QPointer<SensorSettingsWindow> settings_;
    QPointer<DeleteConfirmWindow> confirm_;
};
