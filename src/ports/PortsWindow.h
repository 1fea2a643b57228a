#pragma once
// The Ports window frmPorts: the serial devices present, the COM entries mapped, and the mapping
// of one COM entry to a device, a typed path, a network address or the simulated gateway, with its
// RS485 mode or its network margin, saved in the user's own ports file. The device list is listed
// again every 2 s while the window is open, so an adapter plugged in shows up.

#include "core/Localisation.h"
#include "ports/PortMap.h"

#include <QDialog>
#include <functional>
#include <memory>

class PortDirectory;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class Timer;
struct ToolContext;

class PortsWindow : public QDialog, protected WindowLanguage {
    Q_OBJECT
public:
    PortsWindow(ToolContext& ctx, PortDirectory& directory, QWidget* owner);
    ~PortsWindow() override;

    // Told after a save and when the devices present changed.
    void setMappingsChangedHandler(std::function<void()> h) { changed_ = std::move(h); }

    // Runs on every showing: texts in the stored language, both lists, the refresh.
    void Form_Load();
    void refreshTimer_Timer(); // every 2 s while open
    void cmb_com_Click();
    void tbl_devices_Click(int row);
    void tbl_mappings_Click(int row);
    void bt_simulator_Click();
    void txt_path_Change();
    void bt_save_Click();
    void bt_remove_Click();

private:
    void buildLayout();
    void applyTexts();
    void fillDevices();
    void fillMappings();
    void showSelectedMapping(); // the fields and the current mapping of cmb_com's entry
    void showCurrentMapping();
    void setPath(const QString& path);
    void afterSave(const QString& problem);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    ToolContext& ctx_;
    PortDirectory& directory_;
    std::function<void()> changed_;
    std::unique_ptr<Timer> refresh_;
    QList<PortMapping> mappings_; // COM1 .. COM29 as last read

    QGroupBox* grp_devices;
    QTableWidget* tbl_devices;
    QLabel* lbl_devices_hint;
    QGroupBox* grp_mappings;
    QTableWidget* tbl_mappings;
    QGroupBox* grp_assign;
    QLabel* lbl_com;
    QComboBox* cmb_com;
    QLabel* lbl_current;
    QLabel* lbl_path;
    QLineEdit* txt_path;
    QPushButton* bt_simulator;
    QCheckBox* chk_rs485;
    QLabel* lbl_net_margin;
    QSpinBox* spn_net_margin;
    QPushButton* bt_save;
    QPushButton* bt_remove;
    QLabel* lbl_file;
    QPushButton* bt_close;
};
