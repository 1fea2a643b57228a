#include "gateway/GatewayImage.h"

#include "link/Hex.h"

#include <algorithm>

namespace {
uint16_t be16(const QByteArray& b, int at) {
    return uint16_t(uint8_t(b[at]) << 8 | uint8_t(b[at + 1]));
}
// A read-holding-registers answer of `count` registers: the register values, else nullopt.
std::optional<std::vector<uint16_t>> registers(const QByteArray& answer, int count) {
    if (answer.size() != 3 + 2 * count || uint8_t(answer[1]) != 0x03 ||
        uint8_t(answer[2]) != 2 * count)
        return std::nullopt;
    std::vector<uint16_t> regs;
    for (int i = 0; i < count; ++i)
        regs.push_back(be16(answer, 3 + 2 * i));
    return regs;
}
} // namespace

QString SensorSlot::orgText() const {
    return LongToHexStr(org, 1);
}

QString SensorSlot::idText() const {
    return LongToHexStr(int32_t(id), 4);
}

QString SenderSlot::idText() const {
    return LongToHexStr(int32_t(id), 4);
}

QString senderRowText(int row, const SenderSlot& s) {
    const auto& d = s.data;
    return QString("sender row %1: ORG %2, data %3,%4,%5,%6, status %7")
        .arg(row)
        .arg(s.org)
        .arg(d[0])
        .arg(d[1])
        .arg(d[2])
        .arg(d[3])
        .arg(s.status);
}

namespace {
// ORG, ID and data bytes 0..3, common to both kinds of slot; the slot's register 7 beside.
template <class Slot> std::optional<Slot> slotFromAnswer(const QByteArray& answer, uint16_t& reg7) {
    const auto r = registers(answer, 10);
    if (!r)
        return std::nullopt;
    Slot s;
    s.org = uint8_t((*r)[0] & 0xFF);
    s.id = uint32_t((*r)[1]) << 16 | (*r)[2];
    for (int k = 0; k < 4; ++k)
        s.data[k] = uint8_t((*r)[6 - k] & 0xFF); // data byte k in register 6 - k
    reg7 = (*r)[7];
    return s;
}
} // namespace

std::optional<SensorSlot> sensorSlotFromAnswer(const QByteArray& answer) {
    uint16_t time = 0;
    auto s = slotFromAnswer<SensorSlot>(answer, time);
    if (s)
        s->time = time;
    return s;
}

std::optional<SenderSlot> senderSlotFromAnswer(const QByteArray& answer) {
    uint16_t status = 0;
    auto s = slotFromAnswer<SenderSlot>(answer, status);
    if (s) {
        // the sender row names its bytes the other way round: "Data-Byte 0" in register 3
        std::reverse(s->data.begin(), s->data.end());
        s->status = uint8_t(status & 0xFF);
    }
    return s;
}

std::optional<uint16_t> registerFromAnswer(const QByteArray& answer) {
    const auto r = registers(answer, 1);
    return r ? std::optional<uint16_t>((*r)[0]) : std::nullopt;
}

std::optional<std::array<bool, kGatewaySensorSlots>>
inversionFlagsFromAnswer(const QByteArray& answer) {
    // read coils: address, 01, byte count 4, coil 0x20 + 8j + k in bit k of byte j
    if (answer.size() != 7 || uint8_t(answer[1]) != 0x01 || uint8_t(answer[2]) != 4)
        return std::nullopt;
    std::array<bool, kGatewaySensorSlots> flags{};
    for (int row = 0; row < kGatewaySensorSlots; ++row)
        flags[row] = (uint8_t(answer[3 + row / 8]) >> (row % 8)) & 1;
    return flags;
}

std::optional<bool> coilFromAnswer(const QByteArray& answer) {
    if (answer.size() != 4 || uint8_t(answer[1]) != 0x01 || uint8_t(answer[2]) != 1)
        return std::nullopt;
    return (uint8_t(answer[3]) & 1) != 0;
}

std::optional<uint32_t> parseSensorId(const QString& text) {
    if (text.size() != 8)
        return std::nullopt;
    return hexValue(text);
}

std::optional<uint8_t> parseSensorOrg(const QString& text, bool allowEmpty) {
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    const auto v = hexValue(text);
    if (!v)
        return std::nullopt;
    if (*v == 5 || *v == 6 || *v == 7 || (allowEmpty && *v == 0))
        return uint8_t(*v);
    return std::nullopt;
}
