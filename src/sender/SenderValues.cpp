#include "sender/SenderValues.h"

#include "link/Hex.h"
#include "link/RtuRequest.h"

#include <QRegularExpression>
#include <cmath>

QStringList telegramEntries(int row) {
    return {"Manuell",      "Button 1",       "Button 2",
            "Button 3",     "Button 4",       "Key-Card",
            "LEARN - KP12", "LEARN - KP12 P", row == 0 ? "Telegram KP12 P" : "Telegram KP12"};
}

std::optional<TelegramTemplate> telegramTemplate(int index) {
    // data bytes 1..4 and status, ORG list index ("5" rocker switch, "7" four-byte sensor)
    static const std::array<TelegramTemplate, kTemplateEntries - 1> templates{{
        {{80, 0, 0, 0, 48}, 0},     // Button 1
        {{112, 0, 0, 0, 48}, 0},    // Button 2
        {{16, 0, 0, 0, 48}, 0},     // Button 3
        {{48, 0, 0, 0, 48}, 0},     // Button 4
        {{48, 0, 0, 0, 48}, 0},     // Key-Card
        {{8, 40, 2, 135, 48}, 2},   // LEARN - KP12
        {{64, 24, 2, 135, 48}, 2},  // LEARN - KP12 P
        {{0, 127, 127, 15, 48}, 2}, // Telegram KP12 (P)
    }};
    if (index < 1 || index >= kTemplateEntries)
        return std::nullopt;
    return templates[static_cast<size_t>(index - 1)];
}

namespace {

// Plain decimal numbers only: no exponent, no hex, no "inf"; surrounding blanks are allowed.
std::optional<double> decimalValue(const QString& text) {
    static const QRegularExpression decimal(R"(^\s*[+-]?(\d+([.,]\d*)?|[.,]\d+)\s*$)");
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    QString normal = text.trimmed();
    normal.replace(',', '.');
    bool ok = false;
    const double value = normal.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

ValueVerdict checkSenderValue(const QString& text) {
    if (text.isEmpty())
        return ValueVerdict::Empty;
    const auto value = decimalValue(text);
    if (!value)
        return ValueVerdict::NotANumber;
    if (*value > 255 || *value < 0)
        return ValueVerdict::OutOfRange;
    return ValueVerdict::Accepted;
}

QString verdictMessage(ValueVerdict verdict) {
    switch (verdict) {
    case ValueVerdict::Empty:
        return QStringLiteral("Bitte geben Sie eine Zahl ein");
    case ValueVerdict::NotANumber:
        return QStringLiteral("Keine gültige Eingabe");
    case ValueVerdict::OutOfRange:
        return QStringLiteral("Bitte geben Sie eine Zahl zwischen 0 und 255 ein!");
    case ValueVerdict::Accepted:
        break;
    }
    return {};
}

std::optional<uint8_t> senderByte(const QString& text) {
    if (checkSenderValue(text) != ValueVerdict::Accepted)
        return std::nullopt;
    // 0 <= value <= 255 after the check, so the rounded value is a byte as well
    return static_cast<uint8_t>(std::lround(*decimalValue(text)));
}

QString senderBlockRequestText(const QString& addressHex, int row, int orgIndex,
                               const SenderBytes& values) {
    const auto address = static_cast<uint8_t>(addressHex.toUInt(nullptr, 16));
    return hexOf(senderBlockRequest(address, row, orgIndex, values));
}

QString transmitRequestText(const QString& addressHex, int row) {
    return addressHex + "05" + "00" + ByteToHex(static_cast<uint8_t>(0x40 + row)) + "FF00";
}
