#include "params/ResponseTime.h"

#include "link/Hex.h"

QString correctedResponseTimeText(const QString& text) {
    if (text.isEmpty())
        return "10";
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok)
        return "10"; // only digits can be typed; anything else reads as no value
    if (value < 5)
        return "5";
    if (value > 65535)
        return "65535";
    return text;
}

QString responseTimeWriteRequest(const QString& addressHex, uint16_t value) {
    return addressHex + "10" + "0140" + "0001" + "02" + LongToHexStr(value, 2);
}
