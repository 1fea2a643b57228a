#pragma once
// The port settings frame: port, baud rate, parity, mode and open/close lists, the Modbus address
// box, and chk_connected. One handler applies the whole selection to the program settings and
// the port, opens or closes it and, after a successful open, starts the identification.

#include "core/LineSettingsChoice.h"

#include <QGroupBox>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class SerialPort;
struct PortError;
struct ToolContext;

class ParameterFrame : public QGroupBox, public LineSettingsChoice {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(bool)> setResponseInputsEnabled; // txt_min_response, bt_set_response
        std::function<void()> startIdentification;          // request kind 14
        std::function<void()> unlockReceiveBox;             // txt_empfang editable
        std::function<void(int16_t)> setExpectedLength;     // the RTU collector's
    };

    explicit ParameterFrame(QWidget* parent = nullptr);
    void attach(ToolContext& ctx, SerialPort& MSComm1, Hooks hooks);

    // The window load's selections, in order: COM3, the baud and parity of the record, ASCII,
    // open or close; each runs Combo_Port_Click as a user's selection does.
    void selectStartEntries();
    void Combo_Port_Click();
    void chk_connected_Click();
    QCheckBox* connectedBox() const { return chk_connected; }
    QString modbusAddressText() const;
    void setModbusAddressText(const QString& text);
    // the scan's "Use": mode, baud rate and parity selected through their click handlers
    void chooseLineSettings(const FoundLineSettings& found) override;
    QComboBox* list(int index) const; // Combo_Port 0, 1, 2, 5, 6
    // Where each COM entry points (index n - 1): the entries' tooltips, and lbl_port_device for
    // the selected one.
    void showPortDevices(const QStringList& texts);

signals:
    void portSelectionChanged(); // another COM entry was selected

private:
    void applySelection();
    void applyToPort();
    void failurePath(const PortError& e);
    bool english() const; // the stored language of the last window load
    void lockForOpenState(bool open);
    void disableSensorRowButtons();
    void checkAddressRange();
    bool eventFilter(QObject* watched, QEvent* event) override;

    ToolContext* ctx_ = nullptr;
    SerialPort* port_ = nullptr;
    Hooks hooks_;
    bool inFailurePath_ = false;
    QComboBox* portList_;
    QComboBox* baudList_;
    QComboBox* parityList_;
    QComboBox* modeList_;
    QComboBox* openList_;
    QLineEdit* txt_Modbus_adress;
    QCheckBox* chk_connected;
    QLabel* lbl_port_device;
    std::array<QLabel*, 5> lbl_parameter{};
};
