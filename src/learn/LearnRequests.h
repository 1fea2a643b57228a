#pragma once
// Request texts of learn-in, deletion and inversion, as upper-case hex, address first, no
// framing. Pure functions: the handlers decide when to send them.

#include <QString>
#include <optional>

class MainWindowAccess;

// The gateway address of txt_Modbus_adress as two hex digits; nullopt when the field is empty
// or holds anything but a number 0..255 (nothing may be sent to such an address).
std::optional<QString> gatewayAddress(const MainWindowAccess& main);

// Function 01, one coil at 0x0020 + row: the row's data-byte-1 inversion flag.
QString inversionFlagReadRequest(const QString& address, int row);
// Function 0F, one coil at row: learn mode of the row on or off.
QString learnModeRequest(const QString& address, int row, bool on);
// Function 0F, one coil at 0x0020 + row: inversion of data byte 1 of the row.
QString inversionWriteRequest(const QString& address, int row, bool inverted);
// Function 10, registers row x 10 .. row x 10 + 2: 0x00, ORG, the 4-byte ID.
QString sensorEntryWriteRequest(const QString& address, int row, const QString& org,
                                const QString& id);

// Exactly eight hex digits (either case).
bool isSensorIdText(const QString& id);
// Only hex digits (either case); the empty text counts.
bool isHexDigitsOnly(const QString& text);

inline bool isSensorRow(int row) {
    return row >= 0 && row < 32;
}
