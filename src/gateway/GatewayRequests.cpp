#include "gateway/GatewayRequests.h"

#include "core/ProgramSettings.h"
#include "link/Hex.h"
#include "link/RtuRequest.h"

using namespace RequestKinds;

namespace {
RtuRequestInputs inputs(uint8_t address) {
    RtuRequestInputs in;
    in.addressText = QString::number(address);
    return in;
}
// The builder refuses only values the callers here never pass; a refusal gives no bytes, which
// the link refuses in turn.
QByteArray build(int32_t kind, const RtuRequestInputs& in) {
    const RtuBuildResult r = buildRtuRequest(kind, in);
    const auto* bytes = std::get_if<QByteArray>(&r);
    return bytes ? *bytes : QByteArray();
}
QByteArray blockRead(uint8_t address, int firstRegister) {
    RtuRequestInputs in = inputs(address);
    in.RegisterCounter = firstRegister;
    return build(ReadSensorTable, in);
}
} // namespace

namespace GatewayRequests {

QByteArray identify(uint8_t address) {
    return build(IdentifyDevice, inputs(address));
}

QByteArray readResponseTime(uint8_t address) {
    return build(ReadResponseTime, inputs(address));
}

QByteArray setResponseTime(uint8_t address, uint16_t ms) {
    RtuRequestInputs in = inputs(address);
    in.ResponseTime = ms;
    return build(SetResponseTime, in);
}

QByteArray readInversionFlags(uint8_t address) {
    return build(ReadAllInversionFlags, inputs(address));
}

QByteArray readInversionFlag(uint8_t address, int row) {
    RtuRequestInputs in = inputs(address);
    in.CurrentRow = row;
    return build(ReadInversionFlag, in);
}

QByteArray setInversion(uint8_t address, int row, bool on) {
    RtuRequestInputs in = inputs(address);
    in.CurrentRow = row;
    in.InversionValue = on ? 1 : 0;
    return build(SetInversion, in);
}

QByteArray readSensorSlot(uint8_t address, int row) {
    return blockRead(address, 10 * row);
}

QByteArray readSenderSlot(uint8_t address, int row) {
    return blockRead(address, 400 + 10 * row);
}

QByteArray writeSensorEntry(uint8_t address, int row, uint8_t org, uint32_t id) {
    RtuRequestInputs in = inputs(address);
    in.RegisterCounter = 10 * row;
    in.LearnOrgText = LongToHexStr(org, 1);
    in.LearnIdText = LongToHexStr(int32_t(id), 4);
    return build(WriteSensorEntry, in);
}

QByteArray learnMode(uint8_t address, int row, bool on) {
    RtuRequestInputs in = inputs(address);
    in.RegisterCounter = 10 * row; // the coil is the row, as during a learn-in
    return build(on ? StartLearnMode : CancelLearn, in);
}

QByteArray writeSenderRow(uint8_t address, int row, uint8_t org, const std::array<uint8_t, 4>& data,
                          uint8_t status) {
    if (org < 5 || org > 7 || row < 0 || row >= kSenderRows)
        return {};
    // the row's fields in their order: txt_snd_data_1..4 ("Data-Byte 3" .. "Data-Byte 0"),
    // txt_snd_status
    return senderBlockRequest(address, row, org - 5, {data[3], data[2], data[1], data[0], status});
}

QByteArray transmit(uint8_t address, int row) {
    RtuRequestInputs in = inputs(address);
    in.TransmitRow = row;
    return build(TransmitTelegram, in);
}

} // namespace GatewayRequests
