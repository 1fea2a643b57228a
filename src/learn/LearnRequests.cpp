#include "learn/LearnRequests.h"

#include "core/ToolContext.h"
#include "link/Hex.h"

std::optional<QString> gatewayAddress(const MainWindowAccess& main) {
    return addressHex(main.modbusAddressText());
}

QString inversionFlagReadRequest(const QString& address, int row) {
    return address + "01" + "00" + LongToHexStr(row + 32, 1) + "00" + "01";
}

QString learnModeRequest(const QString& address, int row, bool on) {
    return address + "0F" + "00" + LongToHexStr(row, 1) + "00" + "01" + "01" + (on ? "01" : "00");
}

QString inversionWriteRequest(const QString& address, int row, bool inverted) {
    return address + "0F" + "00" + LongToHexStr(row + 32, 1) + "00" + "01" + "01" +
           (inverted ? "01" : "00");
}

QString sensorEntryWriteRequest(const QString& address, int row, const QString& org,
                                const QString& id) {
    // register row x 10 as four digits: rows 0..31 give 0000 .. 0136
    return address + "10" + LongToHexStr(row * 10, 2) + "00" + "03" + "06" + "00" + org + id;
}

bool isHexDigitsOnly(const QString& text) {
    for (QChar c : text)
        if (!isHexDigit(c))
            return false;
    return true;
}

bool isSensorIdText(const QString& id) {
    return id.size() == 8 && isHexDigitsOnly(id);
}
