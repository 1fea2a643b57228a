#pragma once
// The Modbus master's link: send() writes the outstanding request, the Timer4 poll collects the
// answer with the collector of the mode, and complete answers go to the handler registered for
// the outstanding request kind. The link owns the whole exchange: the answer time-out Timer5,
// the hold-back of a request after a time-out, the line tap, and the exchange API for clients
// without windows. The link knows no subsystem: handlers register themselves.

#include "core/ProgramSettings.h"
#include "link/Answer.h"
#include "link/Exchange.h"
#include "link/LineTap.h"
#include "link/Mbap.h"
#include "link/RtuRequest.h"

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class Clock;
class SerialPort;
class Timer;
class MessageBoxes;

// The fields the link reads and writes beside the settings record: the gateway's address, the
// alarm caption, the receive box and, for request kind 12, a sender row's values. A window
// supplies them, or a session without one (LineSession).
class LinkFields {
public:
    virtual ~LinkFields() = default;
    virtual QString modbusAddressText() const = 0;           // txt_Modbus_adress
    virtual void setAlarmCaption(const QString& text) = 0;   // lbl_Alarm
    virtual void setReceiveBoxText(const QString& text) = 0; // txt_empfang
    virtual QString receiveBoxText() const = 0;
    // The values of a sender row as its controls hold them, for request kind 12.
    virtual SenderRowValues senderRowValues(int row) const = 0;
};

// The exchange with the gateway, one request at a time.
//   Idle      nothing unanswered: a request goes out at once
//   Awaiting  a request is on the line and its time-out runs; a new request replaces it at once
//   TimedOut  its time-out ran out; its answer may still come and is taken while nothing else
//             went out. A new request to the same address waits (Holding).
//   Draining  what arrives belongs to a request of another client, or came before the first
//             request on a port just opened or set (the line changed hands): drained until the
//             line is quiet or a request goes out, then Idle
//   Holding   a request waits until the line has been quiet for one time-out, at most two
//             time-outs (a second master may never let it fall quiet); what arrives meanwhile
//             is drained as late
enum class ExchangeState { Idle, Awaiting, TimedOut, Draining, Holding };

class Link {
public:
    using AnswerHandler = std::function<void(const Answer&)>;

    Link(ProgramSettings& settings, Clock& clock, SerialPort& MSComm1, Timer& Timer4, Timer& Timer5,
         LinkFields& fields, MessageBoxes& messages);

    // Arms Timer5, then writes the frame of the outstanding request (ASCII from RequestText,
    // RTU built per kind). Values that cannot be framed are refused with a message and nothing
    // is written. After a time-out the frame may be held back (see ExchangeState); its
    // time-out then runs from its write. While a client holds the line nothing is sent.
    void send();
    // The handler of a request kind; a kind without one only ends the time-out.
    void setAnswerHandler(int32_t requestKind, AnswerHandler handler);
    // Told of every Timer5 tick of the window's requests: the identification fallback and the
    // alarm.
    void setTimeOutHandler(std::function<void()> handler);
    // Timer5's interval, and switching it off (reading stops, the identification falls back).
    // A network port's margin comes on top (SerialPort::networkMarginMs).
    void setAnswerTimeOut(int ms);
    void stopAnswerTimeOut();

    ExchangeState state() const { return state_; }
    // A frame is held back until the line is quiet.
    bool holdingFrame() const { return state_ == ExchangeState::Holding; }

    // Timer4 tick: collects when the port holds received bytes, or drains while holding.
    void Timer4_Timer();
    // Timer5 tick: the outstanding request counts as timed out.
    void Timer5_Timer();
    // Runs the collector of the mode over what the port holds.
    void ReceiveAnswer();
    // Empties the RTU receive state (ReceiveBuffer[0..2], ReceiveCount, txt_empfang).
    void resetReceiveState();
    // Forgets what the collector of the mode holds: the RTU receive state, or AnswerText.
    void forgetCollected();
    // ExpectedLength of the RTU collector; set to 0 whenever the port settings are applied.
    void setExpectedLength(int16_t length);
    int16_t expectedLength() const { return ExpectedLength; }
    // The port was opened or closed or its line settings changed: nothing written before is
    // answered, whatever the port holds is drained, and so is what comes before the next
    // request. A closed port ends the exchange underway ("port not open").
    void resetLine();

    // The line tap: observers see every frame written, every answer, rejection, time-out and
    // drained byte. An observer removes itself before it goes.
    void addObserver(LineObserver* observer);
    void removeObserver(LineObserver* observer);

    // Exchange API. A client claims the line; while it holds it, the window sends nothing and
    // its timers stay off (the claim handler tells the window). exchange() sends one request
    // (address, function code, data; the link adds the check), collects and checks its answer,
    // retries after a time-out, and calls done once. The next exchange may start from done.
    bool claimLine();
    void releaseLine();
    bool lineClaimed() const { return claimed_; }
    void setLineClaimHandler(std::function<void(bool claimed)> handler);
    void exchange(const QByteArray& request, ExchangeOptions options, ExchangeDone done);
    void cancelExchange();
    bool exchangeRunning() const { return exchange_.has_value(); }
    // The port has received bytes: an exchange collects them at once, so that the next request
    // follows the answer without waiting for the poll.
    void bytesArrived();

private:
    enum class Event { Written, Answered, TimeOut, Held, Quiet, HandedOver, Reset, Opened };
    struct PendingExchange {
        QByteArray request;
        ExchangeOptions options;
        ExchangeDone done;
        int attempts = 0;
        int64_t writtenAtMs = 0;
        int bytesIn = 0;           // all that came in meanwhile
        int answerBytes = 0;       // of it, the frames that answered (exceptions too)
        uint8_t lastException = 0; // of an attempt before
    };
    struct ExceptionWatch {
        QByteArray frame; // address, function code, then code and CRC as they come
    };

    void move(Event event); // the one place that moves state_ and switches Timer5
    // Timer5's interval: ms and the port's network margin; applied again at every write, since
    // the port behind a COM entry may change.
    void setTimeOutInterval(int ms);
    // A connecting port stood up, or the port closed on its own.
    void portStateChanged();
    void writeOrHold(const QByteArray& frame, uint8_t address);
    void write(const QByteArray& frame, uint8_t address);
    void drainUntilQuiet();
    void restWhileNothingToPoll();
    bool watchingForQuiet() const; // holding a frame or draining: the poll checks for quiet
    bool portHoldsBytes();
    int quietBoundMs() const;
    // Takes what the port holds; the tap hears it, the exchange underway counts it.
    QByteArray takeInput();
    // The port went away: what was held or underway ends.
    void portGone();
    std::optional<QByteArray> windowFrame();

    // collection (LinkCollectors.cpp)
    void collectRtu();
    void collectAscii();
    void collectAsciiPiece(const QByteArray& input);
    void completeRtuFrame();
    void completeAsciiLine(bool onePiece);
    Rejection rtuFrameVerdict() const;
    Rejection asciiLineVerdict(const QString& body, uint8_t& exceptionCode) const;
    // An answer (address to data, no check) fits the request last written.
    bool fitsRequest(const QByteArray& answer) const;
    void watchRtuException(uint8_t byte);
    void reportStrayRtu();
    void answerTaken(const Answer& answer, const QByteArray& frame, bool ascii);
    void dispatch(const Answer& answer, bool ascii);
    // The address answers must come from: the exchange's, else the window's field.
    std::optional<int> addressInUse() const;
    int expectedAddress() const; // throws ReceiveFault for an empty or non-numeric field
    RtuRequestInputs rtuInputs() const;

    // Modbus TCP (LinkMbap.cpp): the port frames in the MBAP header instead of ASCII or RTU
    bool mbap() const;
    FrameFormat frameFormat() const;
    // The request bytes (address, function code, data) framed for the port and the mode.
    QByteArray framed(const QByteArray& request);
    void collectMbap();
    void mbapFrameArrived(const MbapFrame& frame);
    Rejection mbapVerdict(const QByteArray& unitAndPdu) const;

    // exchange (LinkExchange.cpp)
    void attemptExchange();
    void exchangeAnswered(const Answer& answer);
    void exchangeTimedOut();
    void exceptionAnswered(uint8_t address, uint8_t function, uint8_t code, int frameBytes);
    void finishExchange(ExchangeResult result);

    // tap: without an observer nothing is built
    bool tapped() const { return !observers_.empty(); }
    void tap(LineEventKind kind, const QByteArray& frame, Rejection why = Rejection::None,
             uint8_t code = 0, bool late = false) {
        if (tapped())
            notify(kind, frame, why, code, late);
    }
    void notify(LineEventKind kind, const QByteArray& frame, Rejection why, uint8_t code,
                bool late);

    ProgramSettings& s_;
    Clock& clock_;
    SerialPort& port_;
    Timer& Timer4_;
    Timer& Timer5_;
    LinkFields& fields_;
    MessageBoxes& messages_;
    std::map<int32_t, AnswerHandler> handlers_;
    std::function<void()> timeOutHandler_;
    std::function<void(bool)> claimHandler_;
    std::vector<LineObserver*> observers_;
    int16_t ExpectedLength = 0;

    ExchangeState state_ = ExchangeState::Idle;
    QByteArray heldFrame_;
    uint8_t heldAddress_ = 0;
    int lastAddress_ = -1;     // address of the last frame written
    QByteArray lastRequest_;   // its bytes without framing and check: answers must fit them
    int64_t quietSinceMs_ = 0; // the time-out, or the last byte drained since
    int64_t heldSinceMs_ = 0;  // when the frame now held was first held

    bool claimed_ = false;
    int windowTimeOutMs_ = 0; // Timer5's interval, restored when the line is released
    std::optional<PendingExchange> exchange_;
    std::optional<ExceptionWatch> exceptionWatch_;
    std::optional<QByteArray> exceptionSeen_; // a whole RTU exception frame, within one read
    QByteArray strayRtu_;                     // RTU bytes dropped outside a frame, for the tap

    int timeOutMs_ = 0; // Timer5's interval without the network margin
    MbapCollector mbapIn_;
    uint16_t mbapTransaction_ = 0; // of the last MBAP frame written
};
