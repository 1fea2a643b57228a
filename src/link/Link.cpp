#include "link/Link.h"

#include "link/Hex.h"
#include "link/SerialPort.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"

#include <algorithm>

using namespace RequestKinds;

Link::Link(ProgramSettings& settings, Clock& clock, SerialPort& MSComm1, Timer& Timer4,
           Timer& Timer5, LinkFields& fields, MessageBoxes& messages)
    : s_(settings)
    , clock_(clock)
    , port_(MSComm1)
    , Timer4_(Timer4)
    , Timer5_(Timer5)
    , fields_(fields)
    , messages_(messages) {
    Timer4_.setTickHandler([this] { Timer4_Timer(); });
    Timer5_.setTickHandler([this] { Timer5_Timer(); });
    port_.setBytesArrivedHandler([this] { bytesArrived(); });
    port_.setStateChangedHandler([this] { portStateChanged(); });
    timeOutMs_ = Timer5_.interval();
}

void Link::setAnswerHandler(int32_t kind, AnswerHandler handler) {
    handlers_[kind] = std::move(handler);
}

void Link::setTimeOutHandler(std::function<void()> handler) {
    timeOutHandler_ = std::move(handler);
}

void Link::setAnswerTimeOut(int ms) {
    setTimeOutInterval(ms);
}

void Link::setTimeOutInterval(int ms) {
    timeOutMs_ = ms;
    const int withMargin = clampTimerInterval(int64_t{ms} + port_.networkMarginMs());
    if (Timer5_.interval() != withMargin)
        Timer5_.setInterval(withMargin);
}

void Link::stopAnswerTimeOut() {
    Timer5_.setEnabled(false);
}

void Link::setExpectedLength(int16_t length) {
    ExpectedLength = length;
}

// ---------------------------------------------------------------------------------------------
// The exchange state

void Link::move(Event event) {
    using S = ExchangeState;
    switch (event) {
    case Event::Written:
        // a request replacing one within its time-out keeps that countdown; any other starts
        // its own from the write
        if (state_ != S::Awaiting)
            Timer5_.setEnabled(false);
        // a frame written while the port connects goes out with the connection: its time-out
        // runs from there (portStateChanged), the port's connect time-out bounds the wait
        Timer5_.setEnabled(!port_.connecting());
        state_ = S::Awaiting;
        break;
    case Event::Answered:
        Timer5_.setEnabled(false);
        state_ = S::Idle;
        break;
    case Event::TimeOut:
        if (state_ == S::Awaiting) {
            state_ = S::TimedOut;
            quietSinceMs_ = clock_.nowMs();
        }
        // a client's time-out is its own and does not repeat; the window's repeats the alarm
        if (claimed_)
            Timer5_.setEnabled(false);
        break;
    case Event::Held:
        Timer5_.setEnabled(false); // the time-out of a held request runs from its write
        state_ = S::Holding;
        heldSinceMs_ = clock_.nowMs();
        break;
    case Event::Quiet:
        state_ = S::Idle;
        break;
    case Event::HandedOver:
        // what the other client asked may still be answered: nobody takes it now
        Timer5_.setEnabled(false);
        heldFrame_.clear();
        if (state_ != S::Idle) {
            state_ = S::Draining;
            quietSinceMs_ = clock_.nowMs();
        }
        break;
    case Event::Reset:
        heldFrame_.clear();
        state_ = S::Idle;
        break;
    case Event::Opened:
        // an answer to a request written before may still come, through a pseudo-terminal
        // even one written by another program: nobody takes it
        heldFrame_.clear();
        lastAddress_ = -1; // the first request goes out at once
        lastRequest_.clear();
        state_ = S::Draining;
        quietSinceMs_ = clock_.nowMs();
        break;
    }
    if (watchingForQuiet())
        Timer4_.wake(); // the poll watches for the line's quiet
}

int Link::quietBoundMs() const {
    // one answer time-out, and at least two polls so that a late answer is seen
    return std::max(Timer5_.interval(), 2 * Timer4_.interval());
}

void Link::resetLine() {
    forgetCollected();
    mbapIn_.reset();
    exceptionWatch_.reset();
    strayRtu_.clear();
    if (!port_.PortOpen())
        return portGone();
    move(Event::Opened);
    if (port_.InBufferCount() > 0)
        tap(LineEventKind::Drained, takeInput());
}

void Link::portGone() {
    move(Event::Reset);
    if (exchange_)
        finishExchange(resultOf(ExchangeOutcome::PortClosed));
}

QByteArray Link::takeInput() {
    const QByteArray in = port_.Input();
    tap(LineEventKind::Received, in); // every byte in is told once
    if (exchange_)
        exchange_->bytesIn += int(in.size());
    return in;
}

// ---------------------------------------------------------------------------------------------
// Writing

RtuRequestInputs Link::rtuInputs() const {
    RtuRequestInputs in;
    in.addressText = fields_.modbusAddressText();
    in.RegisterCounter = s_.RegisterCounter;
    in.CurrentRow = s_.CurrentRow;
    in.LearnOrgText = s_.LearnOrgText;
    in.LearnIdText = s_.LearnIdText;
    in.InversionValue = s_.InversionValue;
    in.ResponseTime = s_.ResponseTime;
    in.SenderRow = s_.SenderRow;
    in.TransmitRow = s_.TransmitRow;
    if (s_.RequestKind == ApplySenderValue && s_.SenderRow >= 0 && s_.SenderRow < kSenderRows)
        in.sender = fields_.senderRowValues(s_.SenderRow);
    return in;
}

std::optional<QByteArray> Link::windowFrame() {
    if (s_.ModeText == "ASCII" && !mbap()) {
        const auto bytes = bytesFromHex(s_.RequestText);
        if (!bytes || bytes->size() < 2) {
            messages_.show("Request not sent: it is not a valid Modbus request.");
            return std::nullopt;
        }
        return asciiFrame(s_.RequestText.toUpper());
    }
    if (s_.ModeText != "RTU" && !mbap())
        return std::nullopt;
    const RtuBuildResult built = buildRtuRequest(s_.RequestKind, rtuInputs());
    if (const auto* refused = std::get_if<RequestRefused>(&built)) {
        messages_.show("Request not sent: " + refused->reason);
        return std::nullopt;
    }
    if (const auto* bytes = std::get_if<QByteArray>(&built))
        return framed(*bytes);
    return std::nullopt;
}

void Link::send() {
    if (claimed_)
        return; // a client holds the line
    // the time-out runs from here, also when nothing is written
    Timer5_.setEnabled(true);
    if (!port_.PortOpen()) {
        messages_.show("Port is not open");
        move(Event::Reset); // nothing stale comes through a closed port
        return;
    }
    const std::optional<QByteArray> frame = windowFrame();
    if (!frame)
        return;
    // the address byte: first in RTU, the first two hex digits after ":" in ASCII
    const uint8_t address = mbap()                 ? uint8_t(frame->at(kMbapHeaderBytes - 1))
                            : s_.ModeText == "RTU" ? uint8_t(frame->at(0))
                                                   : uint8_t(frame->mid(1, 2).toUInt(nullptr, 16));
    writeOrHold(*frame, address);
}

void Link::writeOrHold(const QByteArray& frame, uint8_t address) {
    using S = ExchangeState;
    // Modbus TCP tells a late answer by its transaction id: nothing need wait for it
    const bool lateAnswerPossible =
        !mbap() && (state_ == S::TimedOut || state_ == S::Draining || state_ == S::Holding);
    // A late answer is taken for the next request's only when both go to the same address;
    // an answer from another address fails the address check.
    if (!lateAnswerPossible || address != lastAddress_) {
        if (lateAnswerPossible)
            forgetCollected();
        heldFrame_.clear();
        write(frame, address);
        return;
    }
    heldFrame_ = frame;
    heldAddress_ = address;
    if (state_ != S::Holding)
        move(Event::Held);
    drainUntilQuiet(); // the line may have been quiet for long enough already
}

void Link::write(const QByteArray& frame, uint8_t address) {
    setTimeOutInterval(timeOutMs_);
    port_.Output(frame);
    lastAddress_ = address;
    lastRequest_ = pduOfFrame(frame, frameFormat()).value_or(QByteArray());
    move(Event::Written);
    if (exchange_)
        exchange_->writtenAtMs = clock_.nowMs();
    tap(LineEventKind::Written, frame);
}

void Link::drainUntilQuiet() {
    if (!port_.PortOpen())
        return portGone();
    if (port_.InBufferCount() > 0) {
        // whatever comes now answers an earlier request, or nothing of ours
        quietSinceMs_ = clock_.nowMs();
        tap(LineEventKind::Drained, takeInput());
    }
    const int64_t now = clock_.nowMs();
    // A second master, or a stray byte every 100 ms from a badly biased line, may never let the
    // line fall quiet: a held request goes out two time-outs after it was held at the latest.
    const bool heldLongEnough =
        state_ == ExchangeState::Holding && now - heldSinceMs_ >= 2 * quietBoundMs();
    if (now - quietSinceMs_ < quietBoundMs() && !heldLongEnough)
        return;
    forgetCollected();
    if (state_ == ExchangeState::Draining) {
        move(Event::Quiet);
        return;
    }
    const QByteArray frame = std::exchange(heldFrame_, QByteArray());
    write(frame, heldAddress_);
}

// ---------------------------------------------------------------------------------------------
// Timers

void Link::Timer4_Timer() {
    try {
        if (watchingForQuiet() && !mbap()) {
            drainUntilQuiet();
            return;
        }
    } catch (const PortError&) {
        portGone();
        return;
    }
    if (portHoldsBytes())
        ReceiveAnswer();
    restWhileNothingToPoll();
}

bool Link::watchingForQuiet() const {
    return state_ == ExchangeState::Holding || state_ == ExchangeState::Draining;
}

bool Link::portHoldsBytes() {
    return port_.PortOpen() && port_.InBufferCount() > 0;
}

// The poll rests while the port holds nothing and nothing is held or drained: its ticks would
// find nothing, and each wakes the program. Arriving bytes wake it, and as the ticks go on in
// their rhythm the answer is collected at the tick that would have collected it.
void Link::restWhileNothingToPoll() {
    if (!watchingForQuiet() && !portHoldsBytes())
        Timer4_.rest();
}

void Link::Timer5_Timer() {
    const bool unanswered = state_ == ExchangeState::Awaiting;
    move(Event::TimeOut);
    if (unanswered)
        tap(LineEventKind::TimedOut, {});
    if (claimed_) {
        if (unanswered && exchange_)
            exchangeTimedOut();
        return;
    }
    if (timeOutHandler_)
        timeOutHandler_();
}

void Link::bytesArrived() {
    Timer4_.wake();
    if (claimed_)
        Timer4_Timer();
}

void Link::portStateChanged() {
    if (!port_.PortOpen()) {
        // the port closed on its own (a device unplugged, a connection lost): what was underway
        // ends now ("port closed"), not at its time-out
        resetLine();
        if (claimed_)
            Timer5_.setEnabled(false);
        return;
    }
    if (!port_.connecting() && state_ == ExchangeState::Awaiting && !Timer5_.isEnabled()) {
        Timer5_.setEnabled(true); // the frame written while connecting is on its way now
        if (exchange_)
            exchange_->writtenAtMs = clock_.nowMs();
    }
}

// ---------------------------------------------------------------------------------------------
// The tap

void Link::addObserver(LineObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Link::removeObserver(LineObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Link::notify(LineEventKind kind, const QByteArray& frame, Rejection why, uint8_t code,
                  bool late) {
    LineEvent e;
    e.kind = kind;
    e.atMs = clock_.nowMs();
    e.frame = frame;
    e.format = frameFormat();
    e.requestKind = exchange_ ? RequestKinds::None : s_.RequestKind;
    e.rejection = why;
    e.exceptionCode = code;
    e.late = late;
    // an observer may remove itself while it is told
    const std::vector<LineObserver*> now = observers_;
    for (LineObserver* o : now)
        o->lineEvent(e);
}
