#include "sim/FrameLog.h"

#include "link/Exchange.h"

#include <QStringList>
#include <algorithm>

namespace {
QString hex(const QByteArray& b, int from, int to) {
    return QString::fromLatin1(b.mid(from, std::max(0, to - from)).toHex(' ').toUpper());
}
QString words(const QByteArray& b, int from) {
    QStringList parts;
    for (int i = from; i + 1 < b.size(); i += 2)
        parts << QString("%1")
                     .arg(uint8_t(b[i]) << 8 | uint8_t(b[i + 1]), 4, 16, QChar('0'))
                     .toUpper();
    return parts.join(' ');
}
int word(const QByteArray& b, int at) {
    return at + 1 < b.size() ? (uint8_t(b[at]) << 8 | uint8_t(b[at + 1])) : -1;
}
QString addr(int v) {
    return v < 0 ? QString("?")
                 : QString("0x%1").arg(v, 4, 16, QChar('0')).toUpper().replace("0X", "0x");
}
QString head(const QByteArray& pdu) {
    return QString("%1 ").arg(uint8_t(pdu[0]), 2, 16, QChar('0')).toUpper();
}
QString exceptionText(int code) {
    return code < 0 ? QString("unknown") : exceptionName(uint8_t(code));
}
} // namespace

QString describeRequest(const QByteArray& pdu) {
    if (pdu.size() < 2)
        return "undecodable request " + hex(pdu, 0, pdu.size());
    const int start = word(pdu, 2), count = word(pdu, 4);
    QString out = head(pdu);
    switch (uint8_t(pdu[1])) {
    case 0x01:
        return out + QString("read coils %1 x%2").arg(addr(start)).arg(count);
    case 0x03:
        return out + QString("read registers %1 x%2").arg(addr(start)).arg(count);
    case 0x05:
        return out + QString("write coil %1 %2")
                         .arg(addr(start), count == 0xFF00 ? "on"
                                           : count == 0    ? "off"
                                                           : hex(pdu, 4, 6));
    case 0x0F:
        return out + QString("write coils %1 x%2 data %3")
                         .arg(addr(start))
                         .arg(count)
                         .arg(hex(pdu, 7, pdu.size()));
    case 0x10:
        return out + QString("write registers %1 x%2 values %3")
                         .arg(addr(start))
                         .arg(count)
                         .arg(pdu.size() > 7 ? words(pdu, 7) : QString());
    default:
        return out + QString("function %1 data %2").arg(hex(pdu, 1, 2), hex(pdu, 2, pdu.size()));
    }
}

QString describeAnswer(const QByteArray& pdu) {
    if (pdu.size() < 2)
        return "undecodable answer " + hex(pdu, 0, pdu.size());
    const uint8_t fn = uint8_t(pdu[1]);
    QString out = head(pdu);
    if (fn & 0x80) {
        const int code = pdu.size() > 2 ? uint8_t(pdu[2]) : -1;
        return out + QString("exception to function %1: %2 (%3)")
                         .arg(QString::number(fn & 0x7F, 16).rightJustified(2, '0').toUpper())
                         .arg(code)
                         .arg(exceptionText(code));
    }
    switch (fn) {
    case 0x01:
        return out + "coils " + hex(pdu, 3, pdu.size());
    case 0x03:
        return out + "registers " + words(pdu, 3);
    case 0x05:
        return out + QString("coil %1 written").arg(addr(word(pdu, 2)));
    case 0x0F:
    case 0x10:
        return out + QString("%1 %2 x%3 written")
                         .arg(fn == 0x0F ? "coils" : "registers", addr(word(pdu, 2)))
                         .arg(word(pdu, 4));
    default:
        return out + QString("function %1 data %2").arg(hex(pdu, 1, 2), hex(pdu, 2, pdu.size()));
    }
}
