// The exchange API of the link: a client without a window claims the line and sends requests one
// at a time, each answered, refused by an exception, or timed out after its retries. Framing,
// collection and checks are the link's own, as for the window's requests.

#include "link/Hex.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

#include <algorithm>

bool Link::claimLine() {
    if (claimed_)
        return false;
    claimed_ = true;
    windowTimeOutMs_ = Timer5_.interval();
    move(Event::HandedOver);
    if (claimHandler_)
        claimHandler_(true);
    return true;
}

void Link::releaseLine() {
    if (!claimed_)
        return;
    cancelExchange();
    claimed_ = false;
    move(Event::HandedOver);
    Timer5_.setInterval(windowTimeOutMs_);
    if (claimHandler_)
        claimHandler_(false);
}

void Link::setLineClaimHandler(std::function<void(bool)> handler) {
    claimHandler_ = std::move(handler);
}

void Link::exchange(const QByteArray& request, ExchangeOptions options, ExchangeDone done) {
    const bool framable = request.size() >= 2 && (s_.ModeText == "RTU" || s_.ModeText == "ASCII");
    if (!claimed_ || exchange_ || !framable || !port_.PortOpen()) {
        if (done)
            done(resultOf(port_.PortOpen() ? ExchangeOutcome::Refused
                                           : ExchangeOutcome::PortClosed));
        return;
    }
    exchange_ = PendingExchange{request, options, std::move(done)};
    attemptExchange();
}

void Link::attemptExchange() {
    PendingExchange& x = *exchange_;
    ++x.attempts;
    Timer5_.setInterval(std::max(1, x.options.timeoutMs));
    const QByteArray frame =
        s_.ModeText == "RTU" ? rtuFrame(x.request) : asciiFrame(hexOf(x.request));
    try {
        if (!port_.PortOpen())
            throw PortError{};
        writeOrHold(frame, uint8_t(x.request[0]));
    } catch (const PortError&) {
        portGone();
    }
}

void Link::exchangeAnswered(const Answer& answer) {
    ExchangeResult r;
    r.outcome = ExchangeOutcome::Answered;
    // the answer text holds the check digits at its end: 4 in RTU, 2 in ASCII
    const int checkDigits = s_.ModeText == "RTU" ? 4 : 2;
    r.answer =
        bytesFromHex(answer.text().left(answer.text().size() - checkDigits)).value_or(QByteArray());
    finishExchange(r);
}

void Link::exchangeTimedOut() {
    if (exchange_->attempts <= exchange_->options.retries) {
        attemptExchange();
        return;
    }
    finishExchange(resultOf(ExchangeOutcome::TimedOut));
}

void Link::exceptionAnswered(uint8_t address, uint8_t function, uint8_t code, int frameBytes) {
    if (!exchange_ || state_ != ExchangeState::Awaiting)
        return;
    const QByteArray& request = exchange_->request;
    if (address != uint8_t(request[0]) || function != (uint8_t(request[1]) | 0x80))
        return;
    forgetCollected(); // the exception's own bytes may have started a frame
    move(Event::Answered);
    exchange_->answerBytes += frameBytes;
    exchange_->lastException = code;
    if (exceptionMayPass(code) && exchange_->attempts <= exchange_->options.retries) {
        attemptExchange(); // the gateway has answered: the line is free at once
        return;
    }
    ExchangeResult r;
    r.outcome = ExchangeOutcome::Exception;
    r.exceptionCode = code;
    finishExchange(r);
}

void Link::finishExchange(ExchangeResult result) {
    if (!exchange_)
        return;
    result.attempts = exchange_->attempts;
    result.strayBytes = std::max(0, exchange_->bytesIn - exchange_->answerBytes);
    if (result.outcome == ExchangeOutcome::TimedOut)
        result.exceptionCode = exchange_->lastException;
    if (result.outcome == ExchangeOutcome::Answered || result.outcome == ExchangeOutcome::Exception)
        result.latencyMs = clock_.nowMs() - exchange_->writtenAtMs;
    ExchangeDone done = std::move(exchange_->done);
    exchange_.reset();
    if (done)
        done(result);
}

void Link::cancelExchange() {
    if (!exchange_)
        return;
    if (state_ == ExchangeState::Awaiting || state_ == ExchangeState::Holding)
        move(Event::HandedOver); // its answer may still come: nobody takes it
    finishExchange(resultOf(ExchangeOutcome::Cancelled));
}

// ---------------------------------------------------------------------------------------------

QString exceptionName(uint8_t code) {
    switch (code) {
    case 1:
        return "illegal function";
    case 2:
        return "illegal data address";
    case 3:
        return "illegal data value";
    case 4:
        return "slave device failure";
    case 5:
        return "acknowledge";
    case 6:
        return "slave device busy";
    case 8:
        return "memory parity error";
    case 10:
        return "gateway path unavailable";
    case 11:
        return "gateway target device failed to respond";
    default:
        return "unknown exception";
    }
}

bool exceptionMayPass(uint8_t code) {
    return code == 4 || code == 5 || code == 6 || code == 10 || code == 11;
}

namespace {
QString exceptionText(uint8_t code) {
    return QString("exception %1 %2")
        .arg(code, 2, 16, QChar('0'))
        .arg(exceptionName(code))
        .toLower();
}
} // namespace

QString lineMeanwhileText(int strayBytes, bool english) {
    if (strayBytes <= 0)
        return {};
    if (english)
        return QString("meanwhile %1 %2 from another device on the line: a second master, or "
                       "another baud rate or parity?")
            .arg(strayBytes)
            .arg(strayBytes == 1 ? "byte" : "bytes");
    return QString::fromUtf8("inzwischen %1 %2 von einem anderen Gerät auf der Leitung: ein "
                             "zweiter Master, oder eine andere Baudrate oder Parität?")
        .arg(strayBytes)
        .arg(strayBytes == 1 ? "Byte" : "Bytes");
}

QString describeOutcome(const ExchangeResult& r) {
    switch (r.outcome) {
    case ExchangeOutcome::Answered:
        return "answered";
    case ExchangeOutcome::Exception:
        return exceptionText(r.exceptionCode) +
               (r.attempts > 1 ? QString(" (%1 attempts)").arg(r.attempts) : QString());
    case ExchangeOutcome::TimedOut: {
        QString text =
            r.attempts > 1 ? QString("no answer (%1 attempts)").arg(r.attempts) : "no answer";
        if (r.exceptionCode != 0)
            text += ", before that " + exceptionText(r.exceptionCode);
        return text;
    }
    case ExchangeOutcome::Refused:
        return "request not sent";
    case ExchangeOutcome::PortClosed:
        return "port not open";
    case ExchangeOutcome::Cancelled:
        return "cancelled";
    }
    return {};
}
