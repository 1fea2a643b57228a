#pragma once
// The commissioning window frmCommission (menu "Extras" -> "Inbetriebnahme…", Tools
// "Commissioning…"): open a site file; a line per expected sensor and per extra one (address,
// row, label, ID, ORG, state, telegrams, last telegram), the state coloured and ticking live
// while listening; Verify, Write missing… (a preview of the writes, then a confirmation, as the
// restore has it), Listen for the minutes given, Report…. It claims the main window's line for
// each job, and during the preview, like the save and restore windows. It only shows and
// forwards: the work is Commissioning's, the report ReportPdf's.

#include "backup/GatewayJobWindow.h"
#include "commission/ApplyPlan.h"
#include "platform/FileDialogs.h"

#include <memory>
#include <optional>

class Commissioning;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class SiteLabels;
struct CommissionReport;
struct ReportHeader;

class CommissionWindow : public GatewayJobWindow {
    Q_OBJECT
public:
    CommissionWindow(ToolContext& ctx, SiteLabels& labels, QWidget* owner);
    ~CommissionWindow() override;

    // Shows the window (loading its texts) or brings it to the front.
    void open();
    void setFileDialogs(FileDialogs& dialogs) { dialogs_ = &dialogs; }

    void bt_open_Click();
    void bt_verify_Click();
    void bt_apply_Click(); // first the preview, then (clicked again) the writes
    void bt_listen_Click();
    void bt_report_Click();
    // Reads and shows a site file; a refused one is said with its line and column.
    bool loadSite(const QString& path);
    // The report as PDF, or as JSON for a path ending in .json.
    bool writeReport(const QString& path);
    CommissionReport report() const;

    QTableWidget* sensorTable() const { return lst_sensors; }
    Commissioning& run() { return *run_; }
    bool previewing() const { return !plans_.empty(); }

private:
    enum class Job { None, Verify, Apply, Listen };
    void applyTexts() override;
    void cancelJob() override;
    bool jobRunning() const override;
    bool connected();
    // The main window's Modbus address, for a site file without addresses.
    std::optional<uint8_t> windowAddress() const;
    void closeEvent(QCloseEvent* event) override;
    void placeSite();
    void startJob(Job job);
    void jobDone();
    void showChecks();
    void showLine(int line, const GatewayCheck& g, const SensorCheck& s, const ReportHeader& now);
    void enableButtons();
    QString stateOf(const SensorCheck& s) const;

    SiteLabels& labels_;
    QtFileDialogs qtDialogs_;
    FileDialogs* dialogs_ = &qtDialogs_;
    std::unique_ptr<Commissioning> run_;
    QString path_;
    std::optional<SiteFile> site_; // as read: a file without addresses is placed at each job
    Job job_ = Job::None;
    std::vector<ApplyPlan> plans_; // shown, awaiting the confirmation

    QLineEdit* txt_site;
    QLineEdit* txt_technician;
    QTableWidget* lst_sensors;
    QSpinBox* txt_listen_minutes;
    QPushButton* bt_open;
    QPushButton* bt_verify;
    QPushButton* bt_apply;
    QPushButton* bt_listen;
    QPushButton* bt_report;
};
