#include "sensors/TableReadCycle.h"

#include "core/ToolContext.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "platform/MessageBoxes.h"
#include "platform/Timer.h"
#include "sensors/SensorRequests.h"

#include <array>

namespace {
// Sensor slots are registers 0..319, sender slots of the transceiver 400..479, 10 a slot.
constexpr int kSensorTableEnd = 320;
constexpr int kSenderTableStart = 400;
constexpr int kSenderTableEnd = 480;

} // namespace

TableReadCycle::TableReadCycle(ToolContext& ctx, Hooks hooks)
    : ctx_(ctx)
    , hooks_(std::move(hooks)) {}

void TableReadCycle::attach() {
    ctx_.link.setAnswerHandler(RequestKinds::ReadSensorTable,
                               [this](const Answer& a) { tableAnswer(a); });
    ctx_.link.setAnswerHandler(RequestKinds::WatchSensorSlot,
                               [this](const Answer& a) { slotAnswer(a); });
    ctx_.link.setAnswerHandler(RequestKinds::ReadAllInversionFlags,
                               [this](const Answer& a) { coilAnswer(a); });
    ctx_.timers.Timer1.setTickHandler([this] { Timer1_Timer(); });
    ctx_.timers.Timer2.setTickHandler([this] { Timer2_Timer(); });
    ctx_.timers.Timer3.setTickHandler([this] { Timer3_Timer(); });
}

bool TableReadCycle::transceiver() const {
    return ctx_.main.deviceTypeText() == "QTX40";
}

void TableReadCycle::chk_read_Click(bool checked) {
    if (checked)
        readOn();
    else
        readOff();
}

void TableReadCycle::readOn() {
    ProgramSettings& s = ctx_.settings;
    // the answer time-out covers three response times and one pacing interval; computed in
    // 64 bits and clamped, so no response time the gateway can hold overflows it
    ctx_.link.setAnswerTimeOut(
        clampTimerInterval(3 * int64_t{s.ResponseTime} + ctx_.timers.Timer1.interval()));
    s.AnswerText.clear();
    s.SingleRead = false;
    s.LinkReady = true;
    if (s.PortIsOpen) {
        s.RegisterCounter = 0;
        ctx_.link.resetReceiveState();
        s.RequestKind = RequestKinds::ReadSensorTable;
        ctx_.timers.Timer1.setEnabled(true);
    }
    if (!addressHex(ctx_.main.modbusAddressText()))
        ctx_.messages.show("Wrong Modbus address - 0...255");
    if (hooks_.setResponseInputsEnabled)
        hooks_.setResponseInputsEnabled(false);
    for (int row = 0; row < kSensorRows; ++row) {
        ctx_.sensors.setDeleteEnabled(row, false);
        ctx_.sensors.setLearnEnabled(row, false);
    }
    ctx_.senders.setRowControlsEnabled(false);
}

void TableReadCycle::readOff() {
    ctx_.link.stopAnswerTimeOut();
    ctx_.settings.AnswerText.clear();
    if (hooks_.setResponseInputsEnabled) // the response time can only be set on an open port
        hooks_.setResponseInputsEnabled(ctx_.settings.PortIsOpen);
    for (int row = 0; row < kSensorRows; ++row) {
        if (ctx_.sensors.orgCaption(row) != "00")
            ctx_.sensors.setDeleteEnabled(row, true);
        ctx_.sensors.setLearnEnabled(row, true);
    }
    ctx_.senders.setRowControlsEnabled(true);
    // the request kind stays: an answer still on its way is decoded as usual
    ctx_.timers.Timer1.setEnabled(false);
}

void TableReadCycle::sendBlockRead() {
    const auto address = addressHex(ctx_.main.modbusAddressText());
    if (!address)
        return;
    ctx_.settings.RequestText = blockReadRequest(*address, ctx_.settings.RegisterCounter);
    ctx_.link.send();
}

void TableReadCycle::Timer1_Timer() {
    // one block per answer: LinkReady comes back with the answer or with the time-out
    if (!addressHex(ctx_.main.modbusAddressText()) || !ctx_.settings.LinkReady)
        return;
    sendBlockRead();
    ctx_.settings.LinkReady = false;
}

void TableReadCycle::tableAnswer(const Answer& answer) {
    ProgramSettings& s = ctx_.settings;
    const int reg = s.RegisterCounter;
    if (reg >= 0 && reg < kSensorTableEnd) {
        const int row = reg / 10;
        // the whole row, time included, is taken before any of it is shown
        ctx_.sensors.decodeRow(row, answer, true);
        if (!ctx_.sensors.readChecked() && ctx_.sensors.orgCaption(row) != "00")
            ctx_.sensors.setDeleteEnabled(row, true);
    } else if (transceiver() && reg >= kSenderTableStart && reg < kSenderTableEnd) {
        ctx_.senders.decodeRow((reg - kSenderTableStart) / 10, answer);
    }
    advance();
    if (hooks_.checkConnected)
        hooks_.checkConnected();
}

void TableReadCycle::advance() {
    ProgramSettings& s = ctx_.settings;
    int next = s.RegisterCounter + 10;
    bool endOfPass;
    if (transceiver()) {
        if (next >= kSensorTableEnd && next < kSenderTableStart)
            next = kSenderTableStart; // the sender slots follow the sensor slots
        endOfPass = next >= kSenderTableEnd || next < 0;
    } else {
        // also ends a walk that a change of the variant left among the sender slots
        endOfPass = next >= kSensorTableEnd || next < 0;
    }
    if (!endOfPass) {
        s.RegisterCounter = static_cast<int16_t>(next);
        return;
    }
    s.RegisterCounter = 0;
    s.FirstReadPending = false;
    if (s.SingleRead) {
        s.SingleRead = false;
        s.RequestKind = RequestKinds::None;
        ctx_.timers.Timer1.setEnabled(false);
    }
}

void TableReadCycle::Timer2_Timer() {
    // a request at every tick, answered or not: the watch ends only on a changed slot
    ctx_.settings.RequestKind = RequestKinds::WatchSensorSlot;
    sendBlockRead();
}

void TableReadCycle::slotAnswer(const Answer& answer) {
    const int row = ctx_.settings.RegisterCounter / 10;
    if (row < 0 || row >= kSensorRows)
        throw ReceiveFault("the watched slot is not a sensor row");
    if (answer.chars(9, 2) == ctx_.sensors.orgCaption(row) &&
        answer.chars(11, 8) == ctx_.sensors.idCaption(row))
        return; // not changed yet: Timer2 keeps polling
    ctx_.sensors.decodeRow(row, answer, true);
    ctx_.timers.Timer2.setEnabled(false);
    ctx_.main.CloseStatusWindow();
    ctx_.sensors.setDeleteEnabled(row, ctx_.sensors.orgCaption(row) != "00");
}

void TableReadCycle::Timer3_Timer() {
    ProgramSettings& s = ctx_.settings;
    s.RequestKind = RequestKinds::ReadAllInversionFlags;
    ctx_.sensors.setReadChecked(false);
    ctx_.timers.Timer1.setEnabled(false);
    const auto address = addressHex(ctx_.main.modbusAddressText());
    if (!address)
        ctx_.messages.show("No Modbus address choosen");
    s.CurrentRow = s.LearnRow;
    if (!address)
        return; // Timer3 stays on: the message comes again until an address is entered
    s.RequestText = coilReadRequest(*address);
    ctx_.link.send();
    ctx_.timers.Timer3.setEnabled(false);
}

void TableReadCycle::coilAnswer(const Answer& answer) {
    ProgramSettings& s = ctx_.settings;
    std::array<uint8_t, 4> flags{};
    for (int j = 0; j < 4; ++j)
        flags[j] = answer.byteAt(7 + 2 * j); // all four before any row is shaded
    for (int j = 0; j < 4; ++j)
        for (int bit = 7; bit >= 0; --bit)
            ctx_.sensors.setInversionShade(8 * j + bit, (flags[j] >> bit) & 1);
    s.LearnRow = 0;
    ctx_.link.forgetCollected();
    s.SingleRead = true;
    s.RequestKind = RequestKinds::ReadSensorTable;
    ctx_.timers.Timer1.setEnabled(true);
    // the single pass runs whether or not the status window can be shown
    try {
        ctx_.main.ShowMsgWindow();
    } catch (...) {
    }
}
