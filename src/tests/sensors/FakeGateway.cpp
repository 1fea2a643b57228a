#include "Fakes.h"

namespace {
uint16_t word(const QByteArray& b, int i) {
    return static_cast<uint16_t>((uint8_t(b[i]) << 8) | uint8_t(b[i + 1]));
}
void putWord(QByteArray& b, uint16_t v) {
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}
} // namespace

QByteArray FakeGateway::respond(const QByteArray& frame) {
    QByteArray request;
    if (rtu) {
        request = frame.left(frame.size() - 2);
    } else {
        if (frame.size() < 5 || frame[0] != ':')
            return {};
        const auto bytes = bytesFromHex(QString::fromLatin1(frame.mid(1, frame.size() - 5)));
        if (!bytes)
            return {};
        request = *bytes;
    }
    requests.append(hexOf(request));
    if (silent || request.size() < 6 || uint8_t(request[0]) != address)
        return {};
    const uint8_t function = uint8_t(request[1]);
    const uint16_t start = word(request, 2);
    const uint16_t quantity = word(request, 4);
    QByteArray reply;
    reply.append(char(address));
    reply.append(char(function));
    if (function == 3 && start + quantity <= int(registers.size())) {
        reply.append(char(2 * quantity));
        for (int i = 0; i < quantity; ++i)
            putWord(reply, registers[start + i]);
    } else if (function == 1 && start + quantity <= int(coils.size())) {
        const int count = (quantity + 7) / 8;
        reply.append(char(count));
        for (int j = 0; j < count; ++j) {
            uint8_t byte = 0;
            for (int k = 0; k < 8 && 8 * j + k < quantity; ++k)
                if (coils[start + 8 * j + k])
                    byte |= uint8_t(1 << k);
            reply.append(char(byte));
        }
    } else if (function == 16 && request.size() >= 9 && start < registers.size()) {
        registers[start] = word(request, 7);
        putWord(reply, start);
        putWord(reply, quantity);
    } else {
        return {};
    }
    return rtu ? rtuFrame(reply) : asciiFrame(hexOf(reply));
}
