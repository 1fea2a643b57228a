#pragma once
// The values of a sender row as plain data: the telegram templates, the check of a typed value,
// the byte a checked value is sent as, and the request text of request kinds 12 and 13.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// Index of the template entries in the `Telegram` lists.
inline constexpr int kTemplateEntries = 9;
inline constexpr int kFirstButtonTemplate = 1; // "Button 1"
inline constexpr int kLastButtonTemplate = 4;  // "Button 4"
inline constexpr int kFirstLearnTemplate = 6;  // "LEARN - KP12"; 6..8 send ORG 7

// Index of Combo1 entries "5", "6", "7".
inline constexpr int kOrg7Index = 2;

// The five values of a row in field order: txt_snd_data_1..4, txt_snd_status.
using SenderBytes = std::array<uint8_t, 5>;

struct TelegramTemplate {
    SenderBytes values;
    int orgIndex;
};

// The entries of the template list of a row; row 0's last entry reads differently.
QStringList telegramEntries(int row);
// The template of list index 1..8; nullopt for "Manuell" (0) and anything else.
std::optional<TelegramTemplate> telegramTemplate(int index);

enum class ValueVerdict { Accepted, Empty, NotANumber, OutOfRange };
// Accepts a decimal number from 0 to 255, a fraction included; "." or "," separate the fraction.
ValueVerdict checkSenderValue(const QString& text);
// The message box text of a rejected value (German in both languages); empty for Accepted.
QString verdictMessage(ValueVerdict verdict);
// The byte an accepted value is sent as: rounded to the nearest whole number, halves away from
// zero (12.5 -> 13). nullopt for a value the check rejects.
std::optional<uint8_t> senderByte(const QString& text);

// Request text of kind 12: the hex of the request bytes both modes send (senderBlockRequest).
QString senderBlockRequestText(const QString& addressHex, int row, int orgIndex,
                               const SenderBytes& values);
// Request text of kind 13: address, 0x05, coil 0x0040 + row, 0xFF00 (on).
QString transmitRequestText(const QString& addressHex, int row);
