#pragma once
// The restore window frmRestore (menu "Extras" -> "Gateway-Konfiguration wiederherstellen…"):
// reads the gateway, shows what differs from the file (a row each: row, label, what the gateway
// holds -> what the file holds, per field) with a tick per row, writes the ticked rows and shows
// per row whether it was written and verified. It only shows and forwards: the comparison is
// compareConfig's, the writing RestoreJob's.

#include "backup/ConfigDiff.h"
#include "backup/GatewayJobWindow.h"

#include <memory>
#include <optional>

class QTableWidget;
class RestoreJob;
struct RowResult;
struct StepFailure;

class RestoreWindow : public GatewayJobWindow {
    Q_OBJECT
public:
    RestoreWindow(ToolContext& ctx, QWidget* owner);
    ~RestoreWindow() override;

    // Shows the window, reads the gateway at address and shows the differences from file.
    void start(const QString& path, const GatewayConfig& file, uint8_t address);
    void bt_restore_Click();
    bool running() const;

    QTableWidget* differenceTable() const { return lst_differences; }
    const ConfigDifferences& differences() const { return differences_; }

private:
    void applyTexts() override;
    void cancelJob() override;
    void gatewayRead(const std::optional<StepFailure>& failure);
    void fillTable();
    void rowWritten(int index, const RowResult& result);
    void showResult(int index, const RowResult& result);
    void restored(const std::vector<RowResult>& results);
    void takeTicks();

    GatewayConfig file_;
    ConfigDifferences differences_;
    std::vector<int> lineOfPlan_; // the table line of each row of the plan
    std::unique_ptr<RestoreJob> job_;
    bool reading_ = false;

    QTableWidget* lst_differences;
    QLabel* lbl_notes;
    QPushButton* bt_restore;
};
