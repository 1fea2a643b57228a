#pragma once
// Hex text, the two check values and the two frame layouts of Modbus on a serial line.
// Requests are held as upper-case hex text, two digits per byte, address first.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Upper-case hex of value, padded on the left with "0" to 2 x bytes digits when shorter;
// a longer text is not shortened; negative values give their 32-bit two's complement.
QString LongToHexStr(int32_t value, int32_t bytes);
// The two upper-case hex digits of a byte, high nibble first.
QString ByteToHex(uint8_t byte);
// LRC of the bytes the hex text encodes, two digits; an odd last digit counts as a value 0..15.
// Empty for text that holds a non-hex character.
QString CalculateLRC(const QString& message);
// CRC-16/Modbus of the bytes, as four hex digits, high byte first.
QString CalculateCRC(const QByteArray& data);
void CrcAddByte(uint16_t& crc, uint8_t byte);
uint16_t ShiftRightOne(uint16_t x);

uint16_t crc16Modbus(const QByteArray& data);
uint8_t lrcOf(const QByteArray& bytes);

bool isHexDigit(QChar c);
// Bytes of an even-length text of hex digits (either case); nullopt otherwise.
std::optional<QByteArray> bytesFromHex(const QString& text);
// Value of exactly the hex digits given (either case); nullopt on any other character.
std::optional<uint32_t> hexValue(QStringView digits);
// Upper-case hex text of the bytes.
QString hexOf(const QByteArray& bytes);
// The address byte as two hex digits, or nullopt for a text that is not a number 0..255.
std::optional<QString> addressHex(const QString& decimalText);

// ":" + request text + LRC + CR LF. The text must be upper-case hex of even length.
QByteArray asciiFrame(const QString& requestText);
// Request bytes + CRC low byte + CRC high byte.
QByteArray rtuFrame(const QByteArray& request);
// The bytes of a frame as on the line without its framing and check: RTU drops the CRC, ASCII
// reads the hex digits between ":" and the LRC. The check itself is not verified here. nullopt for
// what is no frame (noise, a broken line).
std::optional<QByteArray> pduOfFrame(const QByteArray& frame, bool ascii);
