#pragma once
// The Modbus master's link: send() writes the outstanding request, the Timer4 poll collects the
// answer with the collector of the mode, and complete answers go to the handler registered for
// the outstanding request kind. The link knows no subsystem: handlers register themselves.

#include "app/ProgramSettings.h"
#include "link/Answer.h"
#include "link/RtuRequest.h"

#include <QString>
#include <functional>
#include <map>

class SerialPort;
class Timer;
class MessageBoxes;

// What the link reads and writes in the main window.
class LinkWindow {
public:
    virtual ~LinkWindow() = default;
    virtual QString modbusAddressText() const = 0;           // txt_Modbus_adress
    virtual void setAlarmCaption(const QString& text) = 0;   // lbl_Alarm
    virtual void setReceiveBoxText(const QString& text) = 0; // txt_empfang
    virtual QString receiveBoxText() const = 0;
    // The values of a sender row as its controls hold them, for request kind 12.
    virtual SenderRowValues senderRowValues(int row) const = 0;
};

class Link {
public:
    using AnswerHandler = std::function<void(const Answer&)>;

    Link(ProgramSettings& settings, SerialPort& MSComm1, Timer& Timer4, Timer& Timer5,
         LinkWindow& window, MessageBoxes& messages);

    // Arms Timer5, then writes the frame of the outstanding request (ASCII from RequestText,
    // RTU built per kind). Values that cannot be framed are refused with a message and nothing
    // is written. When the request written before timed out, its answer may still be on its
    // way and would be taken for this one's: the frame is then held back, and the line drained,
    // until the line has been quiet for one answer time-out; the time-out runs from the write.
    void send();
    // Timer5 has run out: the outstanding request counts as timed out.
    void answerTimedOut() { timedOut_ = awaitingAnswer_; }
    // A frame is held back until the line is quiet.
    bool holdingFrame() const { return !heldFrame_.isEmpty(); }
    // Timer4 tick: collects when the port holds received bytes.
    void Timer4_Timer();
    // Runs the collector of the mode over what the port holds.
    void ReceiveAnswer();
    // The handler of a request kind; a kind without one only ends the time-out.
    void setAnswerHandler(int32_t requestKind, AnswerHandler handler);
    // Empties the RTU receive state (ReceiveBuffer[0..2], ReceiveCount, txt_empfang).
    void resetReceiveState();
    // Forgets what the collector of the mode holds: the RTU receive state, or AnswerText.
    void forgetCollected();
    // ExpectedLength of the RTU collector; set to 0 whenever the port settings are applied.
    void setExpectedLength(int16_t length);
    int16_t expectedLength() const { return ExpectedLength; }

private:
    void write(const QByteArray& frame);
    void releaseWhenQuiet();
    void collectRtu();
    void collectAscii();
    void completeRtuFrame();
    void completeAsciiLine(bool onePiece);
    void dispatch(const Answer& answer, bool ascii);
    bool rtuFrameChecksOut() const;
    bool asciiLineChecksOut(const QString& body) const;
    int configuredAddress() const; // throws ReceiveFault for an empty or non-numeric field
    RtuRequestInputs rtuInputs() const;

    ProgramSettings& s_;
    SerialPort& port_;
    Timer& Timer4_;
    Timer& Timer5_;
    LinkWindow& window_;
    MessageBoxes& messages_;
    std::map<int32_t, AnswerHandler> handlers_;
    int16_t ExpectedLength = 0;
    bool awaitingAnswer_ = false; // the last frame written has not been answered
    bool timedOut_ = false;       // ... and its time-out has run out: a late answer may come
    QByteArray heldFrame_;
    int quietMs_ = 0;
};
