#pragma once
// Decoding of one sensor slot from a block-read answer. Every value is taken before any is
// shown, so that a short answer or a range field that is not a number leaves the row as it was.

#include <QString>
#include <array>

class Answer;
class ScaleAccess;

struct SensorRowTexts {
    QString org;                 // characters 9-10
    QString id;                  // characters 11-18
    std::array<QString, 4> data; // data bytes 0..3, scaled; byte k at characters 33 - 4k
    QString time;                // characters 35-38, unsigned 16 bits, decimal
};

// Throws ReceiveFault on a short answer, non-hex digits or a range field that is not a number.
SensorRowTexts decodeSensorRow(const Answer& answer, const ScaleAccess& scale);
