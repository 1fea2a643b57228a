// Modbus TCP through the one link: the port says it frames in the MBAP header (a Modbus TCP
// gateway), so requests go out with a transaction id that counts up, and answers are cut from the
// stream by their length and checked: the transaction id of the request underway, the unit id
// (the gateway's address), a function code the tool takes, a length that fits it. A taken answer
// goes on as the RTU frame it stands for, so that handlers and clients read it as they read RTU.

#include "link/FunctionCodes.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "link/SerialPort.h"

namespace {
// An answer whose transaction id is one of the last this many sent is late: its request timed out.
constexpr int kLateTransactions = 256;
} // namespace

bool Link::mbap() const {
    return port_.kind() == PortKind::ModbusTcp;
}

FrameFormat Link::frameFormat() const {
    if (mbap())
        return FrameFormat::Mbap;
    return s_.ModeText == "ASCII" ? FrameFormat::Ascii : FrameFormat::Rtu;
}

QByteArray Link::framed(const QByteArray& request) {
    switch (frameFormat()) {
    case FrameFormat::Mbap:
        return mbapFrame(++mbapTransaction_, request);
    case FrameFormat::Rtu:
        return rtuFrame(request);
    case FrameFormat::Ascii:
        break;
    }
    return asciiFrame(hexOf(request));
}

void Link::collectMbap() {
    const MbapCollector::Collected got = mbapIn_.feed(takeInput());
    for (const MbapFrame& f : got.frames)
        mbapFrameArrived(f);
    if (!got.noise.isEmpty())
        tap(LineEventKind::Rejected, got.noise, Rejection::Noise);
}

Rejection Link::mbapVerdict(const QByteArray& unitAndPdu) const {
    const uint8_t function = uint8_t(unitAndPdu[1]);
    if (uint8_t(unitAndPdu[0]) != expectedAddress())
        return Rejection::OtherAddress;
    // a read answer: unit, function, byte count, the bytes; a write's echo: unit, function,
    // address, value or quantity
    if (isReadFunction(function) || isWriteFunction(function)) {
        const bool whole =
            isWriteFunction(function)
                ? unitAndPdu.size() == 6
                : unitAndPdu.size() >= 3 && unitAndPdu.size() == 3 + uint8_t(unitAndPdu[2]);
        if (!whole)
            return Rejection::CheckFailed;
        return fitsRequest(unitAndPdu) ? Rejection::None : Rejection::Misfit;
    }
    if ((function & 0x80) && unitAndPdu.size() == 3)
        return Rejection::Exception;
    return Rejection::NotAccepted;
}

void Link::mbapFrameArrived(const MbapFrame& f) {
    const uint16_t behind = uint16_t(mbapTransaction_ - f.transaction);
    if (behind != 0) {
        if (behind < kLateTransactions)
            tap(LineEventKind::Drained, f.raw); // the answer of a request that timed out
        else
            tap(LineEventKind::Rejected, f.raw, Rejection::OtherTransaction);
        return;
    }
    if (state_ == ExchangeState::Draining) {
        tap(LineEventKind::Drained, f.raw); // asked by the client that held the line before
        return;
    }
    const Rejection why = mbapVerdict(f.unitAndPdu);
    if (why == Rejection::Exception) {
        const uint8_t code = uint8_t(f.unitAndPdu[2]);
        tap(LineEventKind::Rejected, f.raw, why, code);
        exceptionAnswered(uint8_t(f.unitAndPdu[0]), uint8_t(f.unitAndPdu[1]), code,
                          int(f.raw.size()));
        return;
    }
    if (why != Rejection::None) {
        tap(LineEventKind::Rejected, f.raw, why);
        return;
    }
    fields_.setReceiveBoxText(hexOf(rtuFrame(f.unitAndPdu)));
    answerTaken(Answer(fields_.receiveBoxText(), true), f.raw, false);
    resetReceiveState();
}
