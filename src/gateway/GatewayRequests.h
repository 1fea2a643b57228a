#pragma once
// The request bytes (address, function code, data; the link adds the check) of every gateway
// operation, built by the same builder as the window's requests.

#include <QByteArray>
#include <array>
#include <cstdint>

namespace GatewayRequests {
QByteArray identify(uint8_t address);         // holding register 0x0141, the module type
QByteArray readResponseTime(uint8_t address); // holding register 0x0140
QByteArray setResponseTime(uint8_t address, uint16_t ms);
QByteArray readInversionFlags(uint8_t address); // coils 0x0020..0x003F
QByteArray readInversionFlag(uint8_t address, int row);
QByteArray setInversion(uint8_t address, int row, bool on);
QByteArray readSensorSlot(uint8_t address, int row); // registers 10 x row, 10 of them
QByteArray readSenderSlot(uint8_t address, int row); // registers 400 + 10 x row
QByteArray writeSensorEntry(uint8_t address, int row, uint8_t org, uint32_t id);
QByteArray learnMode(uint8_t address, int row, bool on); // coil row
// ORG 5, 6 or 7; "Data-Byte 0" .. "Data-Byte 3" as the sender row names them; status.
QByteArray writeSenderRow(uint8_t address, int row, uint8_t org, const std::array<uint8_t, 4>& data,
                          uint8_t status);
QByteArray transmit(uint8_t address, int row); // coil 0x0040 + row on
} // namespace GatewayRequests
