#pragma once
// What a gateway holds, as the tool reads it: identification, response time, the 32 sensor slots
// with their inversion flags and, on the transceiver, the 8 sender slots. Plain data, decoded from
// the answers of the block reads (10 registers a slot).

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The gateway's objects: sensor slot r at holding registers 10 r .. 10 r + 9, sender slot s at
// 400 + 10 s, the response time at 0x0140, the module type at 0x0141; coils 0..31 learn mode,
// 32..63 inversion of data byte 1, 64..71 transmit of a sender row.
inline constexpr int kGatewaySensorSlots = 32;
inline constexpr int kGatewaySenderSlots = 8;
inline constexpr int kSenderSlotsStart = 400;
inline constexpr uint16_t kResponseTimeRegister = 0x0140;
inline constexpr uint16_t kModuleTypeRegister = 0x0141;
inline constexpr int kInversionCoils = 32;
inline constexpr int kTransmitCoils = 64;
inline constexpr uint16_t kTransceiverModuleType = 0x0041;
inline constexpr uint16_t kLeastResponseTimeMs = 5; // the gateway takes no less

// Registers 10 x row .. 10 x row + 9: ORG (low byte), ID (two registers), data bytes 3, 2, 1, 0
// (low bytes), the time value of the last telegram.
struct SensorSlot {
    uint8_t org = 0;
    uint32_t id = 0;
    std::array<uint8_t, 4> data{}; // data byte 0..3
    uint16_t time = 0;
    bool inverted = false; // the gateway inverts data byte 1
    bool learned() const { return org != 0; }
    QString orgText() const; // "05", as the window shows it
    QString idText() const;  // "0012A3F0"
};

// Registers 400 + 10 x row ..: ORG, the gateway's sender ID, data bytes 0..3 as the sender row
// names them ("Data-Byte 0" in register 3 .. "Data-Byte 3" in register 6, shown in the row from
// right to left), status (low byte).
struct SenderSlot {
    uint8_t org = 0;
    uint32_t id = 0;
    std::array<uint8_t, 4> data{}; // "Data-Byte 0" .. "Data-Byte 3"
    uint8_t status = 0;
    QString idText() const;
};

// "sender row 1: ORG 6, data 1,2,3,4, status 9", data bytes 0..3 as the sender tab names them.
QString senderRowText(int row, const SenderSlot& slot);

struct GatewayImage {
    uint16_t moduleType = 0;
    uint16_t responseTimeMs = 0;
    std::array<SensorSlot, kGatewaySensorSlots> sensors{};
    std::vector<SenderSlot> senders; // 8 on the transceiver, none on the receiver
    bool transceiver() const { return moduleType == kTransceiverModuleType; }
    QString deviceText() const { return transceiver() ? "QTX40" : "QRX40"; }
};

// Decoding of read answers (address, function, byte count, data; no check). nullopt when the
// answer is not the read it should be.
std::optional<SensorSlot> sensorSlotFromAnswer(const QByteArray& answer);
std::optional<SenderSlot> senderSlotFromAnswer(const QByteArray& answer);
std::optional<uint16_t> registerFromAnswer(const QByteArray& answer); // one register
// The 32 inversion flags of a read of coils 0x0020..0x003F.
std::optional<std::array<bool, kGatewaySensorSlots>>
inversionFlagsFromAnswer(const QByteArray& answer);
std::optional<bool> coilFromAnswer(const QByteArray& answer); // one coil

// Parsing of what a user types: ID as 8 hex digits, ORG as 2 hex digits of a learnable type.
std::optional<uint32_t> parseSensorId(const QString& text);
// "05", "06" or "07" (also "5".."7"); `allowEmpty` also takes "00" (an empty slot).
std::optional<uint8_t> parseSensorOrg(const QString& text, bool allowEmpty = false);
