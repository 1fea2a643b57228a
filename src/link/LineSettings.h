#pragma once
// The line settings text "baud,parity,data bits,stop bits", e.g. "9600,E,7,1".

#include <QString>
#include <optional>

// The framing on the line: Modbus ASCII (7 data bits) or RTU (8 data bits).
enum class LineMode { Ascii, Rtu };

struct LineSettings {
    int baud = 9600;
    char parity = 'E'; // 'N', 'E' or 'O'
    int dataBits = 7;  // 7 or 8
    int stopBits = 1;  // 1 or 2

    // Bits on the line for one character: start bit, data bits, parity bit, stop bits.
    int bitsPerCharacter() const { return 1 + dataBits + (parity == 'N' ? 0 : 1) + stopBits; }
    // Microseconds one character takes on the line.
    double characterMicros() const { return 1e6 * bitsPerCharacter() / baud; }
    QString text() const;
};

// The baud rates a line takes, for messages: "1200, 2400, 4800, 9600, 19200, 38400, 57600 or
// 115200".
QString baudRatesText();

// Parses and validates; nullopt for a value a serial port cannot use.
std::optional<LineSettings> parseLineSettings(const QString& text);
