#pragma once
// A complete answer as the handlers read it: upper-case hex text, addressed by 1-based character
// position (1-2 address, 3-4 function code, 5-6 byte count, data from 7). Every read is checked
// against the end of the text: a read past it, or digits that are not hex, throw ReceiveFault,
// which ends the handling of the answer through the receive error path.

#include <QString>
#include <cstdint>
#include <stdexcept>

struct ReceiveFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Answer {
public:
    // onePiece: ASCII only, the line was complete in the piece that began with ":".
    explicit Answer(QString hexText, bool onePiece = true)
        : text_(std::move(hexText))
        , onePiece_(onePiece) {}

    const QString& text() const { return text_; }
    bool onePiece() const { return onePiece_; }
    // Characters first .. first + count - 1 (1-based).
    QString chars(int first, int count) const;
    // The two hex digits at first, first + 1 as 0..255.
    uint8_t byteAt(int first) const;
    // The four hex digits at first .. first + 3 as 0..65535.
    uint16_t wordAt(int first) const;

private:
    QString text_;
    bool onePiece_;
};
