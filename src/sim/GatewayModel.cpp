#include "sim/GatewayModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
uint16_t be16(const QByteArray& b, int i) {
    return uint16_t((uint8_t(b[i]) << 8) | uint8_t(b[i + 1]));
}
void put16(QByteArray& b, uint16_t v) {
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}
constexpr uint8_t kIllegalFunction = 1, kIllegalAddress = 2, kIllegalValue = 3;
} // namespace

GatewayModel::GatewayModel(uint8_t address, GatewayVariant variant, uint32_t seed)
    : address_(address)
    , variant_(variant)
    , rng_(seed) {
    learnDueMs_.fill(-1);
}

uint16_t GatewayModel::reg(int r) const {
    if (r >= 0 && r < 320)
        return sensorRegs_[r];
    if (r == kResponseTimeRegister)
        return responseTime_;
    if (r == kModuleTypeRegister)
        return variant_ == GatewayVariant::Transceiver ? 0x0041 : 0x0040;
    if (r >= 400 && r < 480)
        return senderRegs_[r - 400];
    return 0;
}

bool GatewayModel::coil(int c) const {
    return c >= 0 && c < int(coils_.size()) && coils_[c];
}

bool GatewayModel::readableRegister(int r) const {
    if (r < 320 || r == kResponseTimeRegister || r == kModuleTypeRegister)
        return true;
    return variant_ == GatewayVariant::Transceiver && r >= 400 && r < 480;
}

bool GatewayModel::writableRegister(int r) const {
    return readableRegister(r) && r != kModuleTypeRegister;
}

QByteArray GatewayModel::exception(uint8_t function, uint8_t code) const {
    QByteArray a;
    a.append(char(address_));
    a.append(char(function | 0x80));
    a.append(char(code));
    return a;
}

std::optional<QByteArray> GatewayModel::handle(const QByteArray& rq) {
    // broadcast and other slaves' requests get no answer, as on a shared bus
    if (rq.size() < 2 || uint8_t(rq[0]) == 0 || uint8_t(rq[0]) != address_)
        return std::nullopt;
    const uint8_t fn = uint8_t(rq[1]);
    switch (fn) {
    case 0x01:
        return readCoils(rq);
    case 0x03:
        return readRegisters(rq);
    case 0x05:
        return writeCoil(rq);
    case 0x0F:
        return writeCoils(rq);
    case 0x10:
        return writeRegisters(rq);
    default:
        return exception(fn, kIllegalFunction);
    }
}

std::optional<QByteArray> GatewayModel::readCoils(const QByteArray& rq) {
    if (rq.size() != 6)
        return exception(0x01, kIllegalValue);
    const int start = be16(rq, 2), qty = be16(rq, 4);
    if (qty < 1 || qty > 2000)
        return exception(0x01, kIllegalValue);
    if (start + qty > coilCount())
        return exception(0x01, kIllegalAddress);
    QByteArray a = rq.left(2);
    QByteArray bits((qty + 7) / 8, 0);
    for (int i = 0; i < qty; ++i)
        if (coils_[start + i])
            bits[i / 8] = char(uint8_t(bits[i / 8]) | (1 << (i % 8)));
    a.append(char(bits.size()));
    a.append(bits);
    return a;
}

std::optional<QByteArray> GatewayModel::readRegisters(const QByteArray& rq) {
    if (rq.size() != 6)
        return exception(0x03, kIllegalValue);
    const int start = be16(rq, 2), qty = be16(rq, 4);
    if (qty < 1 || qty > 125)
        return exception(0x03, kIllegalValue);
    for (int r = start; r < start + qty; ++r)
        if (!readableRegister(r))
            return exception(0x03, kIllegalAddress);
    QByteArray a = rq.left(2);
    a.append(char(2 * qty));
    for (int r = start; r < start + qty; ++r)
        put16(a, reg(r));
    return a;
}

std::optional<QByteArray> GatewayModel::writeCoil(const QByteArray& rq) {
    if (rq.size() != 6)
        return exception(0x05, kIllegalValue);
    const int c = be16(rq, 2);
    const uint16_t v = be16(rq, 4);
    if (v != 0xFF00 && v != 0x0000)
        return exception(0x05, kIllegalValue);
    if (c >= coilCount())
        return exception(0x05, kIllegalAddress);
    setCoil(c, v == 0xFF00);
    return rq; // the gateway echoes a single-coil write
}

std::optional<QByteArray> GatewayModel::writeCoils(const QByteArray& rq) {
    if (rq.size() < 7)
        return exception(0x0F, kIllegalValue);
    const int start = be16(rq, 2), qty = be16(rq, 4), count = uint8_t(rq[6]);
    if (qty < 1 || qty > 1968 || count != (qty + 7) / 8 || rq.size() != 7 + count)
        return exception(0x0F, kIllegalValue);
    if (start + qty > coilCount())
        return exception(0x0F, kIllegalAddress);
    for (int i = 0; i < qty; ++i)
        setCoil(start + i, (uint8_t(rq[7 + i / 8]) >> (i % 8)) & 1);
    return rq.left(6); // echo of address, function, start and quantity
}

std::optional<QByteArray> GatewayModel::writeRegisters(const QByteArray& rq) {
    if (rq.size() < 7)
        return exception(0x10, kIllegalValue);
    const int start = be16(rq, 2), qty = be16(rq, 4), count = uint8_t(rq[6]);
    if (qty < 1 || qty > 123 || count != 2 * qty || rq.size() != 7 + count)
        return exception(0x10, kIllegalValue);
    for (int r = start; r < start + qty; ++r)
        if (!writableRegister(r))
            return exception(0x10, kIllegalAddress);
    for (int i = 0; i < qty; ++i)
        writeRegister(start + i, be16(rq, 7 + 2 * i));
    return rq.left(6);
}

void GatewayModel::writeRegister(int r, uint16_t v) {
    if (r == kResponseTimeRegister) {
        responseTime_ = v;
    } else if (r >= 400) {
        // the sender IDs are the gateway's own: a write of the ID registers leaves them
        const int offset = (r - 400) % 10;
        if (offset != 1 && offset != 2)
            senderRegs_[r - 400] = v;
    } else {
        const int row = r / 10;
        const bool wasEmpty = (sensorRegs_[row * 10] & 0xFF) == 0;
        sensorRegs_[r] = v;
        // a manual learn-in: the new sensor starts sending from now on
        if (wasEmpty && (sensorRegs_[row * 10] & 0xFF) != 0)
            sensors_[row].nextTelegramMs = now_ + 1000 + int(rng_() % 4000);
    }
}

void GatewayModel::setCoil(int c, bool on) {
    if (c < kSensorRows) {
        coils_[c] = on;
        learnDueMs_[c] = on ? now_ + learnDelayMs_ : -1; // off cancels a pending learn-in
    } else if (c < 2 * kSensorRows) {
        coils_[c] = on;
    } else if (on) {
        const int row = c - 0x40;
        TransmittedTelegram t;
        t.atMs = now_;
        t.senderRow = row;
        std::copy_n(senderRegs_.begin() + 10 * row, 10, t.registers.begin());
        log_.push_back(t);
        coils_[c] = false; // the transmit coil clears once the telegram is out
    }
}

uint32_t GatewayModel::freshId() {
    return 0x01800000u | (rng_() & 0x7FFFFF);
}

void GatewayModel::learnSensor(int row, uint8_t org, uint32_t id) {
    if (row < 0 || row >= kSensorRows)
        return;
    uint16_t* s = &sensorRegs_[10 * row];
    std::fill(s, s + 10, 0);
    s[0] = org;
    s[1] = uint16_t(id >> 16);
    s[2] = uint16_t(id & 0xFFFF);
    sensors_[row].nextTelegramMs = now_ + 500 + int(rng_() % 3000);
    sensors_[row].level = 80 + rng_() % 100;
}

void GatewayModel::silenceSensor(int row) {
    if (row >= 0 && row < kSensorRows)
        sensors_[row].nextTelegramMs = std::numeric_limits<int64_t>::max();
}

void GatewayModel::setSenderSlot(int row, uint8_t org, uint32_t id, std::array<uint8_t, 4> data,
                                 uint8_t status) {
    if (row < 0 || row >= kSenderRows)
        return;
    uint16_t* s = &senderRegs_[10 * row];
    std::fill(s, s + 10, 0);
    s[0] = org;
    s[1] = uint16_t(id >> 16);
    s[2] = uint16_t(id & 0xFFFF);
    for (int i = 0; i < 4; ++i)
        s[3 + i] = data[i];
    s[7] = status;
}

void GatewayModel::fillDemoSenderRows() {
    setSenderSlot(0, 0x05, 0xFF9A0000, {0, 0, 0, 0x50}, 0x30);
    setSenderSlot(1, 0x06, 0xFF9A0001, {0x09, 0, 0, 0}, 0x00);
    setSenderSlot(2, 0x07, 0xFF9A0002, {0x08, 0x28, 0x02, 0x87}, 0x30);
}

void GatewayModel::finishLearn(int row) {
    static constexpr uint8_t kOrgs[] = {0x05, 0x06, 0x07};
    learnSensor(row, kOrgs[rng_() % 3], freshId());
    coils_[row] = false;
    learnDueMs_[row] = -1;
}

void GatewayModel::sendTelegram(int row) {
    uint16_t* s = &sensorRegs_[10 * row];
    Sensor& sensor = sensors_[row];
    uint8_t db3 = 0, db2 = 0, db1 = 0, db0 = 0;
    switch (s[0] & 0xFF) {
    case 0x05: // rocker switch: a press of one of four buttons or the release
        db3 = (rng_() % 2) ? uint8_t(0x10 + 0x20 * (rng_() % 4)) : 0x00;
        break;
    case 0x06: // one-byte contact: open or closed
        db0 = (rng_() % 2) ? 0x09 : 0x08;
        break;
    case 0x07: { // four-byte sensor: slow random walk of the measured value
        sensor.level = std::clamp(sensor.level + double(int(rng_() % 11) - 5), 0.0, 250.0);
        db3 = 0;
        db2 = uint8_t(100 + rng_() % 20);
        db1 = uint8_t(std::lround(sensor.level));
        db0 = 0x08; // a data telegram, not a learn telegram
        break;
    }
    default:
        return; // an empty slot sends nothing
    }
    if (coils_[0x20 + row])
        db1 = uint8_t(~db1);
    s[3] = db3;
    s[4] = db2;
    s[5] = db1;
    s[6] = db0;
    s[7] = uint16_t(s[7] + 1);
}

void GatewayModel::advanceTo(int64_t nowMs) {
    for (int row = 0; row < kSensorRows; ++row) {
        if (learnDueMs_[row] >= 0 && learnDueMs_[row] <= nowMs) {
            now_ = learnDueMs_[row];
            finishLearn(row);
        }
        while ((sensorRegs_[10 * row] & 0xFF) != 0 && sensors_[row].nextTelegramMs <= nowMs) {
            now_ = sensors_[row].nextTelegramMs;
            sendTelegram(row);
            sensors_[row].nextTelegramMs = now_ + 2000 + int(rng_() % 6000);
        }
    }
    now_ = std::max(now_, nowMs);
}
