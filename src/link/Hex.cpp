#include "link/Hex.h"

#include "link/Mbap.h"

#include <algorithm>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

QString LongToHexStr(int32_t value, int32_t bytes) {
    // Written digit by digit: every request's register address passes here, and
    // number-then-upper-case-then-pad made three strings of it.
    char digitsOfValue[8];
    auto rest = static_cast<uint32_t>(value);
    int n = 0;
    do {
        digitsOfValue[n++] = kHexDigits[rest & 0x0F];
        rest >>= 4;
    } while (rest != 0);
    QString text(std::max(2 * bytes, n), u'0');
    for (int i = 0; i < n; ++i)
        text[text.size() - 1 - i] = QLatin1Char(digitsOfValue[i]);
    return text;
}

QString ByteToHex(uint8_t byte) {
    const QChar pair[2] = {QChar(kHexDigits[byte >> 4]), QChar(kHexDigits[byte & 0x0F])};
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
    QString text(2 * bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        text[2 * i] = QLatin1Char(kHexDigits[byte >> 4]);
        text[2 * i + 1] = QLatin1Char(kHexDigits[byte & 0x0F]);
    }
    return text;
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

std::optional<QByteArray> pduOfFrame(const QByteArray& frame, FrameFormat format) {
    if (format == FrameFormat::Mbap)
        return frame.size() >= kMbapHeaderBytes + 1 ? std::optional(frame.mid(kMbapHeaderBytes - 1))
                                                    : std::nullopt;
    if (format == FrameFormat::Rtu)
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
