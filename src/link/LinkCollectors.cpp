// The two collectors of the link: RTU bytes reassembled by the frame length, ASCII lines between
// ":" and LF. A complete frame is checked (CRC or LRC, address, function code) before it goes to
// its handler or to the running exchange.

#include "link/Hex.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "platform/Timer.h"

#include <algorithm>

using namespace RequestKinds;

namespace {
// Function codes of the answers the tool takes: reads 1 and 3, writes 5, 10, 15 and 16.
bool isReadFunction(uint8_t f) {
    return f == 1 || f == 3;
}
bool isWriteFunction(uint8_t f) {
    return f == 5 || f == 10 || f == 15 || f == 16;
}
int word(const QByteArray& b, int at) {
    return uint8_t(b[at]) << 8 | uint8_t(b[at + 1]);
}
bool crcMatches(const QByteArray& frame) {
    if (frame.size() < 4)
        return false;
    const uint16_t crc = crc16Modbus(frame.left(frame.size() - 2));
    return uint8_t(frame[frame.size() - 2]) == (crc & 0xFF) &&
           uint8_t(frame[frame.size() - 1]) == (crc >> 8);
}
} // namespace

void Link::resetReceiveState() {
    s_.ReceiveBuffer[0] = s_.ReceiveBuffer[1] = s_.ReceiveBuffer[2] = 0;
    s_.ReceiveCount = 0;
    fields_.setReceiveBoxText(QString());
}

void Link::forgetCollected() {
    if (s_.ModeText == "RTU")
        resetReceiveState();
    else
        s_.AnswerText.clear();
}

void Link::ReceiveAnswer() {
    try {
        if (s_.ModeText == "RTU")
            collectRtu();
        else if (s_.ModeText == "ASCII")
            collectAscii();
    } catch (const ReceiveFault&) {
        resetReceiveState();
    } catch (const PortError&) {
        resetReceiveState();
    }
}

std::optional<int> Link::addressInUse() const {
    if (exchange_)
        return uint8_t(exchange_->request[0]);
    bool ok = false;
    const int address = fields_.modbusAddressText().toInt(&ok);
    return ok ? std::optional<int>(address) : std::nullopt;
}

int Link::expectedAddress() const {
    const std::optional<int> address = addressInUse();
    if (!address)
        throw ReceiveFault("no address");
    return *address;
}

// ---------------------------------------------------------------------------------------------
// RTU

void Link::collectRtu() {
    const int n = port_.InBufferCount();
    const QByteArray input = takeInput();
    const int count = std::min<int>(n, static_cast<int>(input.size()));
    const bool watching = tapped() || exchange_;
    auto& buf = s_.ReceiveBuffer;
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = static_cast<uint8_t>(input[i]);
        const bool watched = exceptionWatch_.has_value();
        if (watched)
            watchRtuException(byte);
        if (buf[0] == 0) {
            if (byte == expectedAddress()) {
                reportStrayRtu();
                buf[0] = byte;
                s_.ReceiveCount = 1;
            } else if (tapped() && !watched) {
                strayRtu_.append(char(byte));
            }
        } else if (buf[1] == 0) {
            if (isReadFunction(byte)) {
                buf[1] = byte;
                s_.ReceiveCount++;
            } else if (isWriteFunction(byte)) {
                buf[1] = byte;
                s_.ReceiveCount++;
                ExpectedLength = 8;
            } else {
                // an exception answer is watched to its end; the collector itself goes on as
                // for any frame it does not take
                if (watching && (byte & 0x80))
                    exceptionWatch_ = ExceptionWatch{QByteArray(1, char(buf[0])) + char(byte)};
                else
                    tap(LineEventKind::Rejected, QByteArray(1, char(buf[0])) + char(byte),
                        Rejection::NotAccepted);
                buf[0] = 0; // the frame start is dropped; b is not tried as an address
                s_.ReceiveCount = 0;
            }
        } else if (isReadFunction(buf[1]) && buf[2] == 0 && s_.ReceiveCount == 2) {
            buf[2] = byte;
            s_.ReceiveCount++;
            ExpectedLength = static_cast<int16_t>(byte + 5);
        } else {
            if (s_.ReceiveCount > 50)
                throw ReceiveFault("frame longer than the buffer");
            buf[s_.ReceiveCount++] = byte;
            if (s_.ReceiveCount >= ExpectedLength) {
                completeRtuFrame();
                resetReceiveState();
            }
        }
    }
    reportStrayRtu();
    if (exceptionSeen_) {
        const QByteArray e = std::exchange(exceptionSeen_, std::nullopt).value();
        exceptionAnswered(uint8_t(e[0]), uint8_t(e[1]), uint8_t(e[2]), int(e.size()));
    }
}

void Link::watchRtuException(uint8_t byte) {
    QByteArray& frame = exceptionWatch_->frame;
    frame.append(char(byte));
    if (frame.size() < 5) // address, function, code, CRC low, CRC high
        return;
    if (crcMatches(frame)) {
        tap(LineEventKind::Rejected, frame, Rejection::Exception, uint8_t(frame[2]));
        exceptionSeen_ = frame;
    } else {
        tap(LineEventKind::Rejected, frame, Rejection::CheckFailed);
    }
    exceptionWatch_.reset();
}

void Link::reportStrayRtu() {
    if (strayRtu_.isEmpty())
        return;
    const QByteArray stray = std::exchange(strayRtu_, QByteArray());
    tap(LineEventKind::Rejected, stray,
        crcMatches(stray) ? Rejection::OtherAddress : Rejection::Noise);
}

Rejection Link::rtuFrameVerdict() const {
    if (ExpectedLength < 4 || ExpectedLength > s_.ReceiveCount)
        return Rejection::CheckFailed;
    const QByteArray frame(reinterpret_cast<const char*>(s_.ReceiveBuffer.data()), ExpectedLength);
    if (!crcMatches(frame))
        return Rejection::CheckFailed;
    return fitsRequest(frame.left(frame.size() - 2)) ? Rejection::None : Rejection::Misfit;
}

// A Modbus answer does not name its register: when a new request replaced one within its
// time-out, the old one's answer may still come. Only an answer of the request's shape is taken.
bool Link::fitsRequest(const QByteArray& answer) const {
    const QByteArray& rq = lastRequest_;
    if (rq.size() < 6)
        return true; // nothing written that an answer could be compared with
    if (answer.size() < 3 || answer[1] != rq[1])
        return false;
    const int quantity = word(rq, 4);
    switch (uint8_t(rq[1])) {
    case 0x01: // coils: one bit each, padded to whole bytes
        return uint8_t(answer[2]) == (quantity + 7) / 8 && answer.size() == 3 + (quantity + 7) / 8;
    case 0x03:
        return uint8_t(answer[2]) == 2 * quantity && answer.size() == 3 + 2 * quantity;
    default: // a write echoes the address and the value or quantity
        return answer.size() == 6 && answer.mid(2, 4) == rq.mid(2, 4);
    }
}

void Link::completeRtuFrame() {
    const QByteArray frame(reinterpret_cast<const char*>(s_.ReceiveBuffer.data()),
                           std::clamp<int>(ExpectedLength, 0, s_.ReceiveCount));
    // a frame whose CRC does not match is dropped like one with a foreign function code:
    // the time-out reports the missing answer
    if (const Rejection why = rtuFrameVerdict(); why != Rejection::None) {
        tap(LineEventKind::Rejected, frame, why);
        return;
    }
    fields_.setReceiveBoxText(fields_.receiveBoxText() + hexOf(frame));
    answerTaken(Answer(fields_.receiveBoxText(), true), frame, false);
}

// ---------------------------------------------------------------------------------------------
// ASCII

void Link::collectAscii() {
    const QByteArray input = takeInput();
    QString piece = QString::fromLatin1(input);
    if (!piece.startsWith(':')) {
        // A badly biased line puts a byte in front of the answer at the bus turnaround: a ":"
        // further on starts a new line there.
        if (const qsizetype colon = piece.indexOf(':'); colon > 0) {
            tap(LineEventKind::Rejected, input.left(colon), Rejection::Noise);
            piece = piece.mid(colon);
        }
    }
    if (piece.startsWith(':')) {
        s_.AnswerText = piece;
        if (s_.AnswerText.endsWith('\n'))
            completeAsciiLine(true);
    } else if (!s_.AnswerText.isEmpty()) {
        s_.AnswerText += piece;
        if (s_.AnswerText.endsWith('\n'))
            completeAsciiLine(false);
    } else {
        tap(LineEventKind::Rejected, input, Rejection::Noise);
    }
}

Rejection Link::asciiLineVerdict(const QString& body, uint8_t& exceptionCode) const {
    const auto bytes = bytesFromHex(body);
    if (!bytes || bytes->size() < 3)
        return Rejection::CheckFailed;
    if (lrcOf(bytes->left(bytes->size() - 1)) != static_cast<uint8_t>(bytes->back()))
        return Rejection::CheckFailed;
    const std::optional<int> address = addressInUse();
    if (!address || static_cast<uint8_t>((*bytes)[0]) != *address)
        return Rejection::OtherAddress;
    const uint8_t function = static_cast<uint8_t>((*bytes)[1]);
    if (isReadFunction(function) || isWriteFunction(function))
        return fitsRequest(bytes->left(bytes->size() - 1)) ? Rejection::None : Rejection::Misfit;
    if ((function & 0x80) && bytes->size() == 4) {
        exceptionCode = static_cast<uint8_t>((*bytes)[2]);
        return Rejection::Exception;
    }
    return Rejection::NotAccepted;
}

void Link::completeAsciiLine(bool onePiece) {
    const QString line = s_.AnswerText;
    // without ":" and the closing CR LF; the LRC digits stay at the end
    const QString body = line.size() >= 3 ? line.mid(1, line.size() - 3) : QString();
    uint8_t code = 0;
    if (const Rejection why = asciiLineVerdict(body, code); why != Rejection::None) {
        s_.AnswerText.clear(); // dropped as a foreign or damaged line
        tap(LineEventKind::Rejected, line.toLatin1(), why, code);
        if (why == Rejection::Exception)
            exceptionAnswered(uint8_t(body.left(2).toUInt(nullptr, 16)),
                              uint8_t(body.mid(2, 2).toUInt(nullptr, 16)), code, int(line.size()));
        return;
    }
    s_.AnswerText = body.toUpper();
    answerTaken(Answer(s_.AnswerText, onePiece), line.toLatin1(), true);
}

// ---------------------------------------------------------------------------------------------
// A complete, verified answer

void Link::answerTaken(const Answer& answer, const QByteArray& frame, bool ascii) {
    if (claimed_ && !exchange_) {
        // the client that holds the line asked nothing now: the answer is nobody's
        tap(LineEventKind::Drained, frame);
        return;
    }
    const bool late = state_ == ExchangeState::TimedOut;
    move(Event::Answered);
    tap(LineEventKind::Taken, frame, Rejection::None, 0, late);
    if (exchange_) {
        exchange_->answerBytes += int(frame.size());
        exchangeAnswered(answer);
        return;
    }
    fields_.setAlarmCaption(QString());
    s_.LinkReady = true;
    dispatch(answer, ascii);
}

void Link::dispatch(const Answer& answer, bool ascii) {
    const int32_t kind = s_.RequestKind;
    // in ASCII mode the answers to kinds 12 and 13 only end the time-out
    if (ascii && (kind == ApplySenderValue || kind == TransmitTelegram))
        return;
    const auto found = handlers_.find(kind);
    if (found != handlers_.end() && found->second)
        found->second(answer);
}
