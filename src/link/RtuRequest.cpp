#include "link/RtuRequest.h"

#include "core/ProgramSettings.h"
#include "link/Hex.h"

#include <optional>

namespace {
using namespace RequestKinds;

// The sender row hands over its checked values already rounded to whole numbers; anything else
// here is a value the row refused, and is refused again rather than read another way.
std::optional<uint8_t> byteOfDecimal(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0 || v > 255)
        return std::nullopt;
    return static_cast<uint8_t>(v);
}

std::optional<QByteArray> hexBytes(const QString& text, int digits) {
    if (text.size() != digits)
        return std::nullopt;
    return bytesFromHex(text);
}

char b(int v) {
    return static_cast<char>(v & 0xFF);
}

QByteArray frame(std::initializer_list<int> bytes) {
    QByteArray r;
    for (int v : bytes)
        r += b(v);
    return r;
}

QByteArray senderBlock(uint8_t address, const RtuRequestInputs& in, QString& why) {
    const SenderRowValues& v = in.sender;
    if (v.orgIndex < 0 || v.orgIndex > 2) {
        why = "The ORG byte of the sender row is not chosen.";
        return {};
    }
    std::array<uint8_t, 5> bytes{};
    const QString* texts[] = {&v.data1, &v.data2, &v.data3, &v.data4, &v.status};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = byteOfDecimal(*texts[i]);
        if (!byte) {
            why = "A value of the sender row is not a number from 0 to 255.";
            return {};
        }
        bytes[i] = *byte;
    }
    return senderBlockRequest(address, in.SenderRow, v.orgIndex, bytes);
}
} // namespace

RtuBuildResult buildRtuRequest(int32_t kind, const RtuRequestInputs& in) {
    const auto addressText = addressHex(in.addressText);
    if (!addressText)
        return RequestRefused{"Wrong Modbus address - 0...255"};
    const uint8_t a = static_cast<uint8_t>(addressText->toInt(nullptr, 16));
    const int rc = in.RegisterCounter;
    if (rc < 0 || rc > 511)
        return RequestRefused{"The register number cannot be sent."};
    const int c = in.CurrentRow + 32;
    const bool rowOk = in.CurrentRow >= 0 && in.CurrentRow < kSensorRows;
    const int coilRow = rc / 10;
    switch (kind) {
    case WriteSensorEntry: {
        const auto org = hexBytes(in.LearnOrgText, 2);
        const auto id = hexBytes(in.LearnIdText, 8);
        if (!org || !id)
            return RequestRefused{"The sensor ID or ORG byte is not hexadecimal."};
        QByteArray r = frame({a, 0x10, rc >> 8, rc, 0, 3, 6, 0});
        return r + *org + *id;
    }
    case StartLearnMode:
    case CancelLearn:
        if (coilRow >= kSensorRows)
            return RequestRefused{"The sensor row cannot be sent."};
        return frame({a, 0x0F, 0, coilRow, 0, 1, 1, kind == StartLearnMode ? 1 : 0});
    case WatchSensorSlot:
    case ReadSensorTable:
        return frame({a, 0x03, rc >> 8, rc, 0, 0x0A});
    case ReadInversionFlag:
        if (!rowOk)
            return RequestRefused{"The sensor row cannot be sent."};
        return frame({a, 0x01, 0, c, 0, 1});
    case ReadAllInversionFlags:
        return frame({a, 0x01, 0, 0x20, 0, 0x20});
    case SetInversion:
        if (!rowOk || (in.InversionValue != 0 && in.InversionValue != 1))
            return RequestRefused{"The inversion setting cannot be sent."};
        return frame({a, 0x0F, 0, c, 0, 1, 1, in.InversionValue});
    case ReadResponseTime:
        return frame({a, 0x03, 0x01, 0x40, 0, 1});
    case SetResponseTime:
        if (in.ResponseTime < 0 || in.ResponseTime > 0xFFFF)
            return RequestRefused{"The response time must be 0 to 65535 ms."};
        return frame({a, 0x10, 0x01, 0x40, 0, 1, 2, in.ResponseTime >> 8, in.ResponseTime});
    case ApplySenderValue: {
        if (in.SenderRow < 0 || in.SenderRow >= kSenderRows)
            return RequestRefused{"The sender row cannot be sent."};
        QString why;
        QByteArray r = senderBlock(a, in, why);
        if (r.isEmpty())
            return RequestRefused{why};
        return r;
    }
    case TransmitTelegram:
        if (in.TransmitRow < 0 || in.TransmitRow >= kSenderRows)
            return RequestRefused{"The sender row cannot be sent."};
        return frame({a, 0x05, 0, 0x40 + in.TransmitRow, 0xFF, 0});
    case IdentifyDevice:
        return frame({a, 0x03, 0x01, 0x41, 0, 1});
    default:
        return NoRequest{};
    }
}

QByteArray senderBlockRequest(uint8_t address, int row, int orgIndex,
                              const std::array<uint8_t, 5>& values) {
    const int start = 400 + 10 * row; // 0x0190 for row 0 .. 0x01D6 for row 7
    QByteArray r = frame({address, 0x10, start >> 8, start, 0, 10, 20});
    // the sender ID registers are written 0: the gateway keeps its own
    const int registers[10] = {5 + orgIndex, 0,         0,         values[3], values[2],
                               values[1],    values[0], values[4], 0,         0};
    for (int reg : registers) {
        r += b(0);
        r += b(reg);
    }
    return r;
}
