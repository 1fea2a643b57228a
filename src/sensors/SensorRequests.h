#pragma once
// Request texts of the sensor monitoring, upper-case hex, address first, no framing. The address
// is the two hex digits of txt_Modbus_adress (see addressHex).

#include <QString>
#include <cstdint>

// Read 10 holding registers from startRegister: the block of one sensor or sender slot.
QString blockReadRequest(const QString& addressHex, int32_t startRegister);
// Read the 32 inversion coils 0x0020..0x003F.
QString coilReadRequest(const QString& addressHex);
// Read one holding register: 0x0141 (radio module type) or 0x0140 (minimal response time).
QString deviceRegisterRequest(const QString& addressHex, uint16_t reg);
