#include "sensors/RowDecoding.h"

#include "core/ToolContext.h"
#include "link/Answer.h"

SensorRowTexts decodeSensorRow(const Answer& answer, const ScaleAccess& scale) {
    SensorRowTexts t;
    t.org = answer.chars(9, 2);
    t.id = answer.chars(11, 8);
    t.orgByte = answer.byteAt(9); // the ORG and ID must be hex like the rest of the block
    for (int i = 0; i < 8; i += 2)
        t.sensorId = (t.sensorId << 8) | answer.byteAt(11 + i);
    for (int k = 0; k < 4; ++k) {
        t.raw[k] = answer.byteAt(33 - 4 * k);
        t.data[k] = scale.scaled(k, t.raw[k]);
    }
    t.timeValue = answer.wordAt(35);
    t.time = QString::number(t.timeValue);
    return t;
}
