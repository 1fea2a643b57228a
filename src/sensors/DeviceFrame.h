#pragma once
// The device type display (lbl_desc, lbl_devType, txt_devType) with the identification of the
// gateway's variant: request kind 14 reads the radio module type, its answer or its time-out
// sets "QTX40" or "QRX40" and goes on with the response-time read (kind 9). The link tells the
// frame of every answer time-out: the identification falls back to the receiver, any other
// request shows the alarm text.

#include <QWidget>
#include <functional>

class Answer;
class QLabel;
class QLineEdit;
struct ToolContext;

class DeviceFrame : public QWidget {
    Q_OBJECT
public:
    explicit DeviceFrame(QWidget* parent = nullptr);

    // Registers the kind-14 answer handler and the link's time-out handler.
    void attach(ToolContext& ctx);
    // The "Sender" tab is available (transceiver) or not.
    void setSenderTabAvailableHandler(std::function<void(bool)> handler);
    // lbl_Alarm := the text (the communication-problem text on an answer time-out).
    void setAlarmHandler(std::function<void(QString)> handler);
    void applyEnglish();

    QString deviceTypeText() const; // txt_devType
    void setDeviceTypeText(const QString& text);
    QString deviceLabelText() const; // lbl_devType

    // Request kind 14, then ReadDeviceRegister; called after the port has opened.
    void startIdentification();
    // The one-register read of kinds 14 (0x0141) and 9 (0x0140); other kinds send nothing, nor
    // does an empty or invalid address.
    void ReadDeviceRegister();
    void identificationAnswer(const Answer& answer); // kind 14
    void answerTimedOut();                           // Timer5 has run out

private:
    void txt_devType_Change();

    ToolContext* ctx_ = nullptr;
    std::function<void(bool)> senderTabAvailable_;
    std::function<void(QString)> alarm_;
    QLabel* lbl_desc;
    QLabel* lbl_devType;
    QLineEdit* txt_devType;
};
