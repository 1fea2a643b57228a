#include "link/Mbap.h"

namespace {
uint16_t wordAt(const QByteArray& b, int at) {
    return uint16_t(uint8_t(b[at]) << 8 | uint8_t(b[at + 1]));
}
void appendWord(QByteArray& b, uint16_t w) {
    b.append(char(w >> 8));
    b.append(char(w & 0xFF));
}
} // namespace

QByteArray mbapFrame(uint16_t transaction, const QByteArray& unitAndPdu) {
    QByteArray frame;
    frame.reserve(kMbapHeaderBytes - 1 + unitAndPdu.size());
    appendWord(frame, transaction);
    appendWord(frame, 0); // protocol: Modbus
    appendWord(frame, uint16_t(unitAndPdu.size()));
    frame.append(unitAndPdu);
    return frame;
}

int mbapTransaction(const QByteArray& raw) {
    return raw.size() >= 2 ? wordAt(raw, 0) : -1;
}

MbapCollector::Collected MbapCollector::feed(const QByteArray& bytes) {
    Collected out;
    buffer_.append(bytes);
    qsizetype at = 0;
    while (buffer_.size() - at >= 6) {
        const int protocol = wordAt(buffer_, int(at) + 2);
        const int length = wordAt(buffer_, int(at) + 4);
        if (protocol != 0 || length < kMbapMinLength || length > kMbapMaxLength) {
            out.noise = buffer_.mid(at);
            buffer_.clear();
            return out;
        }
        const int total = 6 + length;
        if (buffer_.size() - at < total)
            break;
        MbapFrame f;
        f.raw = buffer_.mid(at, total);
        f.transaction = wordAt(f.raw, 0);
        f.unitAndPdu = f.raw.mid(6);
        out.frames.push_back(std::move(f));
        at += total;
    }
    buffer_.remove(0, at);
    return out;
}
