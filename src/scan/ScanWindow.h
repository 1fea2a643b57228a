#pragma once
// The window frmScan (menu "Extras" -> "Gateway suchen…", modeless): which modes, baud rates,
// parities and addresses to try, the scan's progress with the setting being tried and the time
// left, the gateways found and the line settings with activity. "Use" on a found gateway selects
// its settings in the parameter frame as the user would and fills the address. The scan runs on
// a port of its own for the COM entry the window has chosen, so the window's port must be closed.
// It only shows and forwards: the scan is GatewayScan's.

#include "core/Localisation.h"
#include "scan/GatewayScan.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class LineSession;
class LineSettingsChoice;
class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class SerialPort;
struct ToolContext;

class ScanWindow : public QWidget, protected WindowLanguage {
    Q_OBJECT
public:
    // A closed port for COM entry n, resolved as the window's port resolves it.
    using PortMaker = std::function<std::unique_ptr<SerialPort>(int commPort)>;

    ScanWindow(ToolContext& ctx, LineSettingsChoice& parameters, const SerialPort& windowPort,
               PortMaker makePort, QWidget* owner);
    ~ScanWindow() override;

    // Shows the window (loading it) or brings it to the front.
    void open();
    // Runs at every showing: texts in the stored language.
    void Form_Load();
    void bt_start_Click();
    void bt_cancel_Click();
    void bt_use_Click(int index);

    ScanOptions chosenOptions() const;
    bool scanning() const { return scan_ && scan_->running(); }
    const std::vector<FoundGateway>& found() const { return found_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QLayout* buildChoices();
    void applyTexts();
    void tell(const QString& text);
    bool windowPortClosed();
    void showProgress(const ScanProgress& p);
    void addFound(const FoundGateway& g);
    void addActivity(const LineActivity& a);
    void finished(const ScanReport& report);
    void setScanning(bool on);

    ToolContext& ctx_;
    LineSettingsChoice& parameters_;
    const SerialPort& windowPort_;
    PortMaker makePort_;
    std::vector<FoundGateway> found_;
    int commPort_ = 0; // the COM entry being scanned
    // the scan's own line; kept until the next scan, as its callbacks may still be on the stack
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<LineSession> session_;
    std::unique_ptr<GatewayScan> scan_;

    QLabel* lbl_modes;
    std::array<QCheckBox*, 2> chk_mode{};
    QLabel* lbl_bauds;
    std::array<QCheckBox*, 8> chk_baud{};
    QLabel* lbl_parities;
    std::array<QCheckBox*, 3> chk_parity{};
    QLabel* lbl_addresses;
    QSpinBox* txt_address_from;
    QLabel* lbl_address_to;
    QSpinBox* txt_address_to;
    QCheckBox* chk_all;
    QLabel* lbl_margin;
    QSpinBox* txt_margin;
    QPushButton* bt_start;
    QPushButton* bt_cancel;
    QProgressBar* prg_scan;
    QLabel* lbl_progress;
    QLabel* lbl_state;
    QTableWidget* lst_found;
    QLabel* lbl_activity;
    QListWidget* lst_activity;
};
