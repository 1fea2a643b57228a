#include "link/Link.h"

#include "link/Hex.h"
#include "link/SerialPort.h"
#include "platform/MessageBoxes.h"
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
} // namespace

Link::Link(ProgramSettings& settings, SerialPort& MSComm1, Timer& Timer4, Timer& Timer5,
           LinkWindow& window, MessageBoxes& messages)
    : s_(settings)
    , port_(MSComm1)
    , Timer4_(Timer4)
    , Timer5_(Timer5)
    , window_(window)
    , messages_(messages) {
    Timer4_.setTickHandler([this] { Timer4_Timer(); });
}

void Link::setAnswerHandler(int32_t kind, AnswerHandler handler) {
    handlers_[kind] = std::move(handler);
}

void Link::setExpectedLength(int16_t length) {
    ExpectedLength = length;
}

RtuRequestInputs Link::rtuInputs() const {
    RtuRequestInputs in;
    in.addressText = window_.modbusAddressText();
    in.RegisterCounter = s_.RegisterCounter;
    in.CurrentRow = s_.CurrentRow;
    in.LearnOrgText = s_.LearnOrgText;
    in.LearnIdText = s_.LearnIdText;
    in.InversionValue = s_.InversionValue;
    in.ResponseTime = s_.ResponseTime;
    in.SenderRow = s_.SenderRow;
    in.TransmitRow = s_.TransmitRow;
    if (s_.RequestKind == ApplySenderValue && s_.SenderRow >= 0 && s_.SenderRow < kSenderRows)
        in.sender = window_.senderRowValues(s_.SenderRow);
    return in;
}

void Link::send() {
    // the time-out runs from here, also when nothing is written
    Timer5_.setEnabled(true);
    if (!port_.PortOpen()) {
        messages_.show("Port is not open");
        awaitingAnswer_ = timedOut_ = false; // nothing stale comes through a closed port
        heldFrame_.clear();
        return;
    }
    if (s_.ModeText == "ASCII") {
        const auto bytes = bytesFromHex(s_.RequestText);
        if (!bytes || bytes->size() < 2) {
            messages_.show("Request not sent: it is not a valid Modbus request.");
            return;
        }
        write(asciiFrame(s_.RequestText.toUpper()));
        return;
    }
    if (s_.ModeText != "RTU")
        return;
    const RtuBuildResult built = buildRtuRequest(s_.RequestKind, rtuInputs());
    if (const auto* refused = std::get_if<RequestRefused>(&built)) {
        messages_.show("Request not sent: " + refused->reason);
        return;
    }
    if (const auto* bytes = std::get_if<QByteArray>(&built))
        write(rtuFrame(*bytes));
}

void Link::write(const QByteArray& frame) {
    if (timedOut_) {
        // a late answer to the unanswered request would be taken for this one's: wait for quiet
        heldFrame_ = frame;
        quietMs_ = 0;
        Timer5_.setEnabled(false);
        return;
    }
    heldFrame_.clear();
    port_.Output(frame);
    awaitingAnswer_ = true;
}

void Link::releaseWhenQuiet() {
    if (!port_.PortOpen()) {
        heldFrame_.clear();
        awaitingAnswer_ = timedOut_ = false;
        return;
    }
    if (port_.InBufferCount() > 0) {
        port_.Input(); // whatever comes now answers an earlier request
        quietMs_ = 0;
        return;
    }
    quietMs_ += Timer4_.interval();
    if (quietMs_ < std::max(Timer5_.interval(), 2 * Timer4_.interval()))
        return;
    forgetCollected();
    awaitingAnswer_ = timedOut_ = false;
    const QByteArray frame = heldFrame_;
    write(frame);
    Timer5_.setEnabled(true); // the time-out of the held request runs from its write
}

void Link::Timer4_Timer() {
    try {
        if (holdingFrame()) {
            releaseWhenQuiet();
            return;
        }
    } catch (const PortError&) {
        heldFrame_.clear();
        return;
    }
    if (port_.PortOpen() && port_.InBufferCount() > 0)
        ReceiveAnswer();
}

void Link::resetReceiveState() {
    s_.ReceiveBuffer[0] = s_.ReceiveBuffer[1] = s_.ReceiveBuffer[2] = 0;
    s_.ReceiveCount = 0;
    window_.setReceiveBoxText(QString());
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

int Link::configuredAddress() const {
    bool ok = false;
    const int address = window_.modbusAddressText().toInt(&ok);
    if (!ok)
        throw ReceiveFault("no address");
    return address;
}

void Link::collectRtu() {
    const int n = port_.InBufferCount();
    const QByteArray input = port_.Input();
    const int count = std::min<int>(n, static_cast<int>(input.size()));
    auto& buf = s_.ReceiveBuffer;
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = static_cast<uint8_t>(input[i]);
        if (buf[0] == 0) {
            if (byte == configuredAddress()) {
                buf[0] = byte;
                s_.ReceiveCount = 1;
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
}

bool Link::rtuFrameChecksOut() const {
    if (ExpectedLength < 4 || ExpectedLength > s_.ReceiveCount)
        return false;
    const QByteArray frame(reinterpret_cast<const char*>(s_.ReceiveBuffer.data()), ExpectedLength);
    const uint16_t crc = crc16Modbus(frame.left(ExpectedLength - 2));
    return static_cast<uint8_t>(frame[ExpectedLength - 2]) == (crc & 0xFF) &&
           static_cast<uint8_t>(frame[ExpectedLength - 1]) == (crc >> 8);
}

void Link::completeRtuFrame() {
    // a frame whose CRC does not match is dropped like one with a foreign function code:
    // the time-out reports the missing answer
    if (!rtuFrameChecksOut())
        return;
    Timer5_.setEnabled(false);
    window_.setAlarmCaption(QString());
    const QByteArray frame(reinterpret_cast<const char*>(s_.ReceiveBuffer.data()), ExpectedLength);
    window_.setReceiveBoxText(window_.receiveBoxText() + hexOf(frame));
    s_.LinkReady = true;
    awaitingAnswer_ = timedOut_ = false;
    dispatch(Answer(window_.receiveBoxText(), true), false);
}

void Link::collectAscii() {
    const QString piece = QString::fromLatin1(port_.Input());
    if (piece.startsWith(':')) {
        s_.AnswerText = piece;
        if (s_.AnswerText.endsWith('\n'))
            completeAsciiLine(true);
    } else if (!s_.AnswerText.isEmpty()) {
        s_.AnswerText += piece;
        if (s_.AnswerText.endsWith('\n'))
            completeAsciiLine(false);
    }
}

bool Link::asciiLineChecksOut(const QString& body) const {
    const auto bytes = bytesFromHex(body);
    if (!bytes || bytes->size() < 3)
        return false;
    if (lrcOf(bytes->left(bytes->size() - 1)) != static_cast<uint8_t>(bytes->back()))
        return false;
    bool ok = false;
    const int address = window_.modbusAddressText().toInt(&ok);
    if (!ok || static_cast<uint8_t>((*bytes)[0]) != address)
        return false;
    const uint8_t function = static_cast<uint8_t>((*bytes)[1]);
    return isReadFunction(function) || isWriteFunction(function);
}

void Link::completeAsciiLine(bool onePiece) {
    const QString& line = s_.AnswerText;
    // without ":" and the closing CR LF; the LRC digits stay at the end
    const QString body = line.size() >= 3 ? line.mid(1, line.size() - 3) : QString();
    if (!asciiLineChecksOut(body)) {
        s_.AnswerText.clear(); // dropped as a foreign or damaged line
        return;
    }
    s_.AnswerText = body.toUpper();
    s_.LinkReady = true;
    awaitingAnswer_ = timedOut_ = false;
    Timer5_.setEnabled(false);
    window_.setAlarmCaption(QString());
    dispatch(Answer(s_.AnswerText, onePiece), true);
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
