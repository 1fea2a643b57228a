#pragma once
// How the subsystems meet: the program settings record, the link, the main window's timers,
// message boxes, and a few small interfaces that the panels implement for each other. The main
// window builds one ToolContext and hands it to every panel.

#include "core/ProgramSettings.h"
#include "core/SenderRowValues.h"

#include <QString>

class Answer;
class Clock;
class Link;
class MessageBoxes;
class QWidget;
class Timer;

struct MainTimers {
    Timer& Timer1; // paces the table read (request kind 4)
    Timer& Timer2; // slot watch (request kind 3), 300 ms
    Timer& Timer3; // inversion flag read (request kind 7)
    Timer& Timer4; // receive poll
    Timer& Timer5; // answer time-out
    Timer& Timer6; // first release step after a rocker-button telegram, 200 ms
    Timer& Timer7; // second release step, 100 ms
};

// The main window itself, as the panels and windows use it.
class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;
    virtual QWidget* ownerWindow() = 0;            // owner of modal windows
    virtual QString modbusAddressText() const = 0; // txt_Modbus_adress
    virtual QString deviceTypeText() const = 0;    // txt_devType
    virtual void ShowMsgWindow() = 0;              // status window: ShowMsg, then show
    virtual void CloseStatusWindow() = 0;          // status window's CloseWindow
    // Reads the stored settings again, fills LanguageCode, InstallPath, HelpDocument and
    // Texts, and tells whether the window should take its English texts.
    virtual bool LocaliseWindow(int windowNumber) = 0;
};

// The sensor rows of the main window (sensors/ implements).
class SensorTableAccess {
public:
    virtual ~SensorTableAccess() = default;
    virtual QString orgCaption(int row) const = 0; // txt_org(row)
    virtual QString idCaption(int row) const = 0;  // txt_id(row)
    virtual void setDeleteEnabled(int row, bool on) = 0;
    virtual void setLearnEnabled(int row, bool on) = 0;
    // Sensor row decoding: ORG, ID, the four scaled data bytes and, withTime, the time value.
    // Throws ReceiveFault when the answer is too short or a scale field is not a number.
    virtual void decodeRow(int row, const Answer& answer, bool withTime) = 0;
    // Background of txt_data_2(row): light grey when data byte 1 is inverted, white otherwise.
    virtual void setInversionShade(int row, bool inverted) = 0;
    virtual bool readChecked() const = 0;     // chk_read
    virtual void setReadChecked(bool on) = 0; // runs chk_read's click handler on a change
};

// The data-byte scaling frame (sensors/ implements).
class ScaleAccess {
public:
    virtual ~ScaleAccess() = default;
    // The display text of raw byte for scale column k (0..3). Throws ReceiveFault when a range
    // field is not a number.
    virtual QString scaled(int column, uint8_t raw) const = 0;
};

// The sender rows of the "Sender" tab (sender/ implements).
class SenderRowsAccess {
public:
    virtual ~SenderRowsAccess() = default;
    // Command1, Command2, txt_snd_data_1..4, txt_snd_status and Combo1 of all 8 rows.
    virtual void setRowControlsEnabled(bool on) = 0;
    // Command1 and Command2 of all 8 rows.
    virtual void setRowButtonsEnabled(bool on) = 0;
    // Captions of Command2 (apply) and Command1 (transmit) of all rows.
    virtual void setButtonCaptions(const QString& apply, const QString& transmit) = 0;
    // First entry of every row's template list ("Manuell", English "Manual").
    virtual void setManualEntryText(const QString& text) = 0;
    // Selects a template list entry as the user would (its click handler runs).
    virtual void selectTemplate(int row, int index) = 0;
    // Fills sender row s from a table-read answer (ORG, ID, scaled data bytes, status).
    virtual void decodeRow(int row, const Answer& answer) = 0;
    virtual SenderRowValues rowValues(int row) const = 0;
};

struct ToolContext {
    ProgramSettings& settings;
    Clock& clock; // makes the timers of the windows
    Link& link;
    MainTimers& timers;
    MessageBoxes& messages;
    MainWindowAccess& main;
    SensorTableAccess& sensors;
    ScaleAccess& scale;
    SenderRowsAccess& senders;
};
