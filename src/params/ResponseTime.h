#pragma once
// The arithmetic of the minimal response time, without widgets.

#include <QString>
#include <cstdint>

// The text txt_min_response keeps when it is left: empty gives "10", below 5 gives "5", above
// 65535 (the register holds 16 bits) gives "65535"; anything else stays.
QString correctedResponseTimeText(const QString& text);

// The write of register 0x0140: address, "10", "0140", "0001", "02", the value as 4 hex digits.
QString responseTimeWriteRequest(const QString& addressHex, uint16_t value);
