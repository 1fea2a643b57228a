#include "link/Answer.h"

#include "link/Hex.h"

QString Answer::chars(int first, int count) const {
    if (first < 1 || count < 0 || first - 1 + count > text_.size())
        throw ReceiveFault("answer too short");
    return text_.mid(first - 1, count);
}

uint8_t Answer::byteAt(int first) const {
    const auto v = hexValue(chars(first, 2));
    if (!v)
        throw ReceiveFault("not a hex byte");
    return static_cast<uint8_t>(*v);
}

uint16_t Answer::wordAt(int first) const {
    const auto v = hexValue(chars(first, 4));
    if (!v)
        throw ReceiveFault("not a hex word");
    return static_cast<uint16_t>(*v);
}
