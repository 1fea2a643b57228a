#include "traffic/TrafficMeaning.h"

#include "core/ProgramSettings.h"
#include "gateway/GatewayImage.h"
#include "link/Exchange.h"
#include "link/Hex.h"

namespace {
QString say(bool english, const char* en, const char* de) {
    return QString::fromUtf8(english ? en : de);
}

int word(const QByteArray& b, int at) {
    return at + 1 < b.size() ? (uint8_t(b[at]) << 8 | uint8_t(b[at + 1])) : -1;
}

// The row whose block of 10 registers starts at `start`, or -1.
int blockRow(int start, int base, int rows) {
    const int offset = start - base;
    return offset >= 0 && offset % 10 == 0 && offset / 10 < rows ? offset / 10 : -1;
}

QString range(int start, int count) {
    return count > 1 ? QString("%1-%2").arg(start).arg(start + count - 1) : QString::number(start);
}

// The Modbus names of the exception codes; English as the link's messages say them.
QString exceptionText(uint8_t code, bool english) {
    if (english)
        return exceptionName(code);
    switch (code) {
    case 1:
        return "unzulässige Funktion";
    case 2:
        return "unzulässige Datenadresse";
    case 3:
        return "unzulässiger Datenwert";
    case 4:
        return "Fehler im Slave-Gerät";
    case 5:
        return "Bestätigung, Auftrag läuft";
    case 6:
        return "Slave-Gerät beschäftigt";
    case 8:
        return "Paritätsfehler im Speicher";
    case 10:
        return "Gateway-Pfad nicht verfügbar";
    case 11:
        return "Zielgerät hinter dem Gateway antwortet nicht";
    default:
        return "unbekannte Ausnahme";
    }
}

QString functionText(uint8_t function, bool english) {
    return say(english, "function %1", "Funktion %1").arg(ByteToHex(function));
}

QString readRegisters(int start, int count, bool english) {
    if (count == 1 && start == kModuleTypeRegister)
        return say(english, "identify", "Identifikation");
    if (count == 1 && start == kResponseTimeRegister)
        return say(english, "read response time", "Antwortzeit lesen");
    if (count == 10) {
        if (const int row = blockRow(start, 0, kSensorRows); row >= 0)
            return say(english, "read sensor row %1 (registers %2)",
                       "Sensorzeile %1 lesen (Register %2)")
                .arg(row)
                .arg(range(start, count));
        if (const int row = blockRow(start, kSenderSlotsStart, kSenderRows); row >= 0)
            return say(english, "read sender row %1", "Senderzeile %1 lesen").arg(row);
    }
    return say(english, "read registers %1", "Register %1 lesen").arg(range(start, count));
}

QString writeRegisters(const QByteArray& pdu, int start, int count, bool english) {
    if (count == 1 && start == kResponseTimeRegister && pdu.size() >= 9)
        return say(english, "response time %1 ms", "Antwortzeit %1 ms").arg(word(pdu, 7));
    if (count == 3)
        if (const int row = blockRow(start, 0, kSensorRows); row >= 0)
            return say(english, "write ORG/ID row %1", "ORG/ID Zeile %1 schreiben").arg(row);
    if (count == 10)
        if (const int row = blockRow(start, kSenderSlotsStart, kSenderRows); row >= 0)
            return say(english, "write sender row %1", "Senderzeile %1 schreiben").arg(row);
    return say(english, "write registers %1", "Register %1 schreiben").arg(range(start, count));
}

QString readCoils(int start, int count, bool english) {
    if (start == kInversionCoils && count == kSensorRows)
        return say(english, "read inversion flags", "Inversionen lesen");
    if (count == 1 && start >= kInversionCoils && start < kInversionCoils + kSensorRows)
        return say(english, "read inversion row %1", "Inversion Zeile %1 lesen")
            .arg(start - kInversionCoils);
    return say(english, "read coils %1", "Coils %1 lesen").arg(range(start, count));
}

// One coil written by function 0F (learn mode, inversion) or 05 (transmit).
QString writeCoil(int coil, bool on, bool english) {
    const QString state = on ? say(english, "on", "ein") : say(english, "off", "aus");
    if (coil >= 0 && coil < kSensorRows)
        return say(english, "learn mode row %1 %2", "Lernmodus Zeile %1 %2").arg(coil).arg(state);
    if (coil >= kInversionCoils && coil < kInversionCoils + kSensorRows)
        return say(english, "inversion row %1 %2", "Inversion Zeile %1 %2")
            .arg(coil - kInversionCoils)
            .arg(state);
    if (on && coil >= kTransmitCoils && coil < kTransmitCoils + kSenderRows)
        return say(english, "transmit sender row %1", "Senderzeile %1 senden")
            .arg(coil - kTransmitCoils);
    return say(english, "coil %1 %2", "Coil %1 %2").arg(coil).arg(state);
}

// "1 register", "10 registers"; German "10 Register", "32 Coils".
QString registersText(int n, bool english) {
    return (english ? (n == 1 ? "%1 register" : "%1 registers") : QString("%1 Register")).arg(n);
}
QString coilsText(int n, bool english) {
    return QString(n == 1 ? (english ? "%1 coil" : "%1 Coil") : (english ? "%1 coils" : "%1 Coils"))
        .arg(n);
}
} // namespace

QString requestMeaning(const QByteArray& pdu, bool english) {
    if (pdu.size() < 2)
        return say(english, "incomplete request", "unvollständige Anfrage");
    const uint8_t function = uint8_t(pdu[1]);
    const int start = word(pdu, 2), count = word(pdu, 4);
    if (start < 0 || count < 0)
        return functionText(function, english);
    switch (function) {
    case 0x01:
        return readCoils(start, count, english);
    case 0x03:
        return readRegisters(start, count, english);
    case 0x05:
        return writeCoil(start, count == 0xFF00, english);
    case 0x0F:
        if (count == 1 && pdu.size() >= 8)
            return writeCoil(start, uint8_t(pdu[7]) & 1, english);
        return say(english, "write coils %1", "Coils %1 schreiben").arg(range(start, count));
    case 0x10:
        return writeRegisters(pdu, start, count, english);
    default:
        return functionText(function, english);
    }
}

QString answerMeaning(const QByteArray& pdu, const QByteArray& request, bool english) {
    if (pdu.size() < 2)
        return say(english, "incomplete answer", "unvollständige Antwort");
    const uint8_t function = uint8_t(pdu[1]);
    if (function & 0x80) {
        if (pdu.size() < 3)
            return say(english, "incomplete answer", "unvollständige Antwort");
        const uint8_t code = uint8_t(pdu[2]);
        return say(english, "exception %1 %2", "Ausnahme %1 %2")
            .arg(ByteToHex(code).toLower(), exceptionText(code, english));
    }
    const int byteCount = pdu.size() >= 3 ? uint8_t(pdu[2]) : 0;
    switch (function) {
    case 0x03:
        return registersText(byteCount / 2, english);
    case 0x01: {
        // the answer pads the coils to whole bytes: the request says how many were read
        const bool asked = request.size() >= 6 && uint8_t(request[1]) == 0x01;
        const int coils = asked ? word(request, 4) : 8 * byteCount;
        return coilsText(coils, english);
    }
    case 0x05:
    case 0x0F:
    case 0x10:
        return say(english, "echo", "Echo");
    default:
        return functionText(function, english);
    }
}
