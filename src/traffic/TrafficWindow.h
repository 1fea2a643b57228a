#pragma once
// The traffic window frmTraffic (menu "Extras" -> "Datenverkehr…", modeless): one row per frame
// on the line with its meaning and check result, the line statistics, Reset of the counters,
// Pause (the counting goes on), Clear, the "problems only" filter, following the newest row, and
// saving the rows as CSV. It only shows and forwards: the records are TrafficRecorder's.

#include "core/Localisation.h"

#include "traffic/TrafficTable.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class Clock;
class MainWindowAccess;
class MessageBoxes;
class QCheckBox;
class QLabel;
class QPushButton;
class Timer;
class TrafficModel;
class TrafficRecorder;

class TrafficWindow : public QWidget, protected WindowLanguage {
    Q_OBJECT
public:
    // (caption, suggested file name, filter) -> the chosen path, empty when cancelled
    using SavePathChooser = std::function<QString(const QString&, const QString&, const QString&)>;

    // The table takes over new records batchMs after the first that came since the last batch;
    // a quiet line costs the window nothing.
    static constexpr int batchMs = 100;
    // lbl_counters takes new counts at most every countersMs.
    static constexpr int countersMs = 1000;

    TrafficWindow(TrafficRecorder& recorder, Clock& clock, MainWindowAccess& main,
                  MessageBoxes& messages, QWidget* owner);
    ~TrafficWindow() override;

    // Shows the window (loading it) or brings it to the front.
    void open();
    // Runs at every showing: texts in the stored language, the rows and counters so far.
    void Form_Load();
    void setSavePathChooser(SavePathChooser chooser) { choosePath_ = std::move(chooser); }

    // One batch: new rows into the table, the counters into lbl_counters. While the window is
    // hidden or minimised no batch runs; the next showing takes the backlog at once.
    // Returns whether counts wait for their once-a-second turn.
    bool refresh();
    void bt_reset_Click();
    void bt_clear_Click();
    void bt_save_csv_Click();
    bool saveCsv(const QString& path);

    TrafficModel& model() { return *model_; }
    // No batch is due: what the line carried is shown, and a quiet line wakes nothing.
    bool resting() const;
    TrafficTable* table() const { return lst_traffic; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildLayout();
    void applyTexts();
    void showCounters();
    void showCounters(const QString& counts);
    void lineEvent();
    void batchDue();

    TrafficRecorder& recorder_;
    Clock& clock_;
    MainWindowAccess& main_;
    MessageBoxes& messages_;
    std::unique_ptr<Timer> batch_;
    SavePathChooser choosePath_;
    int64_t countersShownMs_ = -countersMs;
    bool shown_ = false; // shown and not minimised

    TrafficModel* model_;
    TrafficTable* lst_traffic;
    QLabel* lbl_counters;
    QPushButton* bt_reset;
    QCheckBox* chk_pause;
    QPushButton* bt_clear;
    QCheckBox* chk_problems;
    QCheckBox* chk_follow;
    QPushButton* bt_save_csv;
};
