#include "sim/SlaveFraming.h"

#include "link/Hex.h"

namespace {
// Length of a request frame with its CRC, from its function code; 0 while undecided, -1 unknown.
int rtuRequestLength(const QByteArray& b) {
    if (b.size() < 2)
        return 0;
    switch (uint8_t(b[1])) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        return 8;
    case 0x0F:
    case 0x10:
        return b.size() < 7 ? 0 : 9 + uint8_t(b[6]);
    default:
        return -1;
    }
}

SlaveFrame checkedRtu(const QByteArray& raw) {
    SlaveFrame f;
    if (raw.size() < 4)
        return f;
    f.request = raw.left(raw.size() - 2);
    const uint16_t crc = crc16Modbus(f.request);
    f.checkOk =
        uint8_t(raw[raw.size() - 2]) == (crc & 0xFF) && uint8_t(raw[raw.size() - 1]) == (crc >> 8);
    return f;
}
} // namespace

std::vector<SlaveFrame> RtuSlaveFramer::feed(const QByteArray& bytes) {
    buffer_.append(bytes);
    std::vector<SlaveFrame> out;
    for (;;) {
        const int n = rtuRequestLength(buffer_);
        if (n <= 0 || buffer_.size() < n)
            break;
        out.push_back(checkedRtu(buffer_.left(n)));
        buffer_.remove(0, n);
    }
    return out;
}

std::vector<SlaveFrame> RtuSlaveFramer::silence() {
    std::vector<SlaveFrame> out;
    if (!buffer_.isEmpty())
        out.push_back(checkedRtu(buffer_));
    buffer_.clear();
    return out;
}

QByteArray RtuSlaveFramer::frame(const QByteArray& answer) {
    return rtuFrame(answer);
}

std::vector<SlaveFrame> AsciiSlaveFramer::feed(const QByteArray& bytes) {
    buffer_.append(bytes);
    std::vector<SlaveFrame> out;
    for (;;) {
        const int colon = buffer_.indexOf(':');
        if (colon < 0) {
            buffer_.clear(); // noise before a frame start
            break;
        }
        buffer_.remove(0, colon);
        const int end = buffer_.indexOf("\r\n");
        if (end < 0)
            break;
        const QByteArray hex = buffer_.mid(1, end - 1);
        buffer_.remove(0, end + 2);
        SlaveFrame f;
        const auto bytesOpt = bytesFromHex(QString::fromLatin1(hex));
        if (bytesOpt && bytesOpt->size() >= 3) {
            f.request = bytesOpt->left(bytesOpt->size() - 1);
            f.checkOk = lrcOf(f.request) == uint8_t(bytesOpt->back());
        }
        out.push_back(f);
    }
    return out;
}

std::vector<SlaveFrame> MbapSlaveFramer::feed(const QByteArray& bytes) {
    std::vector<SlaveFrame> out;
    for (const MbapFrame& f : collector_.feed(bytes).frames)
        out.push_back(SlaveFrame{f.unitAndPdu, true, f.transaction});
    return out;
}

QByteArray MbapSlaveFramer::frame(const QByteArray& answer, uint16_t transaction) {
    return mbapFrame(transaction, answer);
}

QByteArray AsciiSlaveFramer::frame(const QByteArray& answer) {
    return asciiFrame(hexOf(answer));
}
