#pragma once
// The "Sender" tab (Frame1): the 8 sender rows of the transceiver, their telegram templates and
// value checks, and the apply (request kind 12) and transmit (request kind 13) operations with
// the release that follows a rocker-button telegram (Timer6, then Timer7).

#include "core/ToolContext.h"
#include "sender/SenderValues.h"

#include <QColor>
#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SenderPanel : public QWidget, public SenderRowsAccess {
    Q_OBJECT
public:
    explicit SenderPanel(QWidget* parent = nullptr);
    // Wires the handlers, the Timer6/Timer7 ticks and the answer handlers of kinds 12 and 13.
    void attach(ToolContext& ctx);
    // The English tooltips of the ORG lists and the value fields.
    void applyEnglish();

    // SenderRowsAccess
    void setRowControlsEnabled(bool on) override;
    void setRowButtonsEnabled(bool on) override;
    void setButtonCaptions(const QString& apply, const QString& transmit) override;
    void setManualEntryText(const QString& text) override;
    void selectTemplate(int row, int index) override;
    void decodeRow(int row, const Answer& answer) override;
    // Accepted values come as the whole numbers they are sent as ("12.5" gives "13"); any other
    // text comes unchanged, and the request that carries it is refused.
    SenderRowValues rowValues(int row) const override;

    // Handlers, by row.
    void Telegram_Click(int row);
    void Combo1_Click(int row);
    void Command1_Click(int row); // transmit
    void Command2_Click(int row); // apply
    // Send request kind 13 / 12 for the row; false when nothing was sent.
    bool TransmitSenderRow(int row);
    bool WriteSenderBlock(int row);
    void Timer6_Timer();
    void Timer7_Timer();

    // The row's controls; field 0..3 is txt_snd_data_1..4, field 4 txt_snd_status.
    QLineEdit* senderIdField(int row) const;
    QComboBox* telegramList(int row) const;
    QComboBox* orgList(int row) const;
    QLineEdit* valueField(int row, int field) const;
    QPushButton* transmitButton(int row) const;
    QPushButton* applyButton(int row) const;
    // The text colour a control shows: red when edited and not applied.
    static QColor textColour(const QWidget* control);

    static constexpr int kValueFields = 5;
    static inline const QColor kEditedColour{0xFF, 0x00, 0x00};

private:
    struct Row {
        QLabel* registers = nullptr;
        QLineEdit* senderId = nullptr;
        QComboBox* telegram = nullptr;
        QComboBox* org = nullptr;
        std::array<QLineEdit*, kValueFields> values{};
        QPushButton* transmit = nullptr; // Command1
        QPushButton* apply = nullptr;    // Command2
    };

    void buildRow(int row);
    void valueChanged(int row, int field);
    // Writes a value field as a template or the release does: the field counts as changed.
    void writeValue(int row, int field, const QString& text);
    // A selection made by the program runs the list's click handler, as the user's would.
    void selectOrg(int row, int index);
    void writeTemplateValues(int row, const TelegramTemplate& t);
    void clearMarks(int row);
    void answered();
    bool validRow(int row) const { return row >= 0 && row < kSenderRows; }

    std::array<Row, kSenderRows> rows_;
    ToolContext* ctx_ = nullptr;
};
