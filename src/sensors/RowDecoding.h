#pragma once
// Decoding of one sensor slot from a block-read answer. Every value is taken before any is
// shown, so that a short answer or a range field that is not a number leaves the row as it was.

#include <QString>
#include <array>
#include <cstdint>

class Answer;
class ScaleAccess;

// What the row shows, and the numbers behind it.
struct SensorRowTexts {
    QString org;                 // characters 9-10
    QString id;                  // characters 11-18
    std::array<QString, 4> data; // data bytes 0..3, scaled; byte k at characters 33 - 4k
    QString time;                // characters 35-38, unsigned 16 bits, decimal
    uint8_t orgByte = 0;
    uint32_t sensorId = 0;
    std::array<uint8_t, 4> raw{}; // data bytes 0..3 as received
    uint16_t timeValue = 0;
};

// Throws ReceiveFault on a short answer, non-hex digits or a range field that is not a number.
SensorRowTexts decodeSensorRow(const Answer& answer, const ScaleAccess& scale);
