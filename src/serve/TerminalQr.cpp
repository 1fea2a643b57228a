#include "serve/TerminalQr.h"

#include <QByteArray>
#include <memory>
#include <qrencode.h>

QString terminalQr(const QByteArray& text, bool terminalColours) {
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_L, QR_MODE_8, 1), QRcode_free);
    if (!code)
        return {};
    constexpr int kQuiet = 2;
    const int width = code->width;
    const int side = width + 2 * kQuiet;
    // dark module at (x, y) of the code with its quiet zone; bit 0 of each byte is "black"
    auto dark = [&](int x, int y) {
        x -= kQuiet, y -= kQuiet;
        return x >= 0 && y >= 0 && x < width && y < width && (code->data[y * width + x] & 1);
    };
    QString out;
    for (int y = 0; y < side; y += 2) {
        if (terminalColours)
            out += "\033[30;47m";
        for (int x = 0; x < side; ++x) {
            const bool top = dark(x, y), bottom = y + 1 < side && dark(x, y + 1);
            out += top && bottom ? QChar(0x2588)
                   : top         ? QChar(0x2580)
                   : bottom      ? QChar(0x2584)
                                 : ' ';
        }
        if (terminalColours)
            out += "\033[0m";
        out += '\n';
    }
    return out;
}
