#include "link/Hex.h"

QString LongToHexStr(int32_t value, int32_t bytes) {
    QString text = QString::number(static_cast<uint32_t>(value), 16).toUpper();
    if (bytes > 0 && text.size() < 2 * bytes)
        text = text.rightJustified(2 * bytes, '0');
    return text;
}

QString ByteToHex(uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    const QChar pair[2] = {QChar(digits[byte >> 4]), QChar(digits[byte & 0x0F])};
    return QString(pair, 2);
}

bool isHexDigit(QChar c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::optional<uint32_t> hexValue(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    uint32_t v = 0;
    for (QChar c : digits) {
        if (!isHexDigit(c))
            return std::nullopt;
        const char a = c.toLatin1();
        const uint32_t d = a <= '9' ? a - '0' : (a | 0x20) - 'a' + 10;
        v = (v << 4) | d;
    }
    return v;
}

QString CalculateLRC(const QString& message) {
    uint32_t sum = 0;
    for (qsizetype i = 0; i < message.size(); i += 2) {
        const auto part = hexValue(QStringView(message).mid(i, 2));
        if (!part)
            return {};
        sum = (sum + *part) % 256;
    }
    return LongToHexStr(static_cast<int32_t>((256 - sum) % 256), 1);
}

uint16_t ShiftRightOne(uint16_t x) {
    return static_cast<uint16_t>(x >> 1);
}

void CrcAddByte(uint16_t& crc, uint8_t byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 1) ? static_cast<uint16_t>(ShiftRightOne(crc) ^ 0xA001) : ShiftRightOne(crc);
}

uint16_t crc16Modbus(const QByteArray& data) {
    uint16_t crc = 0xFFFF;
    for (char c : data)
        CrcAddByte(crc, static_cast<uint8_t>(c));
    return crc;
}

QString CalculateCRC(const QByteArray& data) {
    return LongToHexStr(crc16Modbus(data), 2);
}

uint8_t lrcOf(const QByteArray& bytes) {
    uint8_t sum = 0;
    for (char c : bytes)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    return static_cast<uint8_t>(-sum);
}

std::optional<QByteArray> bytesFromHex(const QString& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    QByteArray out;
    out.reserve(text.size() / 2);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const auto v = hexValue(QStringView(text).mid(i, 2));
        if (!v)
            return std::nullopt;
        out.append(static_cast<char>(*v));
    }
    return out;
}

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

std::optional<QString> addressHex(const QString& decimalText) {
    if (decimalText.isEmpty() || decimalText.size() > 3)
        return std::nullopt;
    for (QChar c : decimalText)
        if (c < '0' || c > '9')
            return std::nullopt;
    const int value = decimalText.toInt();
    if (value > 255)
        return std::nullopt;
    return LongToHexStr(value, 1);
}

QByteArray asciiFrame(const QString& requestText) {
    return (":" + requestText + CalculateLRC(requestText) + "\r\n").toLatin1();
}

QByteArray rtuFrame(const QByteArray& request) {
    const uint16_t crc = crc16Modbus(request);
    QByteArray frame = request;
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

std::optional<QByteArray> pduOfFrame(const QByteArray& frame, bool ascii) {
    if (!ascii)
        return frame.size() >= 4 ? std::optional(frame.left(frame.size() - 2)) : std::nullopt;
    QByteArray line = frame;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (!line.startsWith(':'))
        return std::nullopt;
    const auto bytes = bytesFromHex(QString::fromLatin1(line.mid(1)));
    if (!bytes || bytes->size() < 3)
        return std::nullopt;
    return bytes->left(bytes->size() - 1); // without the LRC
}
