#include "sensors/SensorRequests.h"

#include "link/Hex.h"

QString blockReadRequest(const QString& addressHex, int32_t startRegister) {
    return addressHex + "03" + LongToHexStr(startRegister, 2) + "000A";
}

QString coilReadRequest(const QString& addressHex) {
    return addressHex + "01" + "0020" + "0020";
}

QString deviceRegisterRequest(const QString& addressHex, uint16_t reg) {
    return addressHex + "03" + LongToHexStr(reg, 2) + "00" + "01";
}
