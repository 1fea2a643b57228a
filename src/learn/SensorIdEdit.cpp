#include "learn/SensorIdEdit.h"

#include "learn/LearnRequests.h"

#include <QKeyEvent>

const QString SensorIdEdit::kRefusedText = "Only hexadecimal digits 0-9, A-F are allowed";

SensorIdEdit::SensorIdEdit(QWidget* parent)
    : QLineEdit(parent) {
    setObjectName("txtSensorIDeingabe");
    setMaxLength(kMaxIdLength);
    // textChanged comes before textEdited: it keeps the last good text for a refusal, and it
    // alone sees texts the program sets.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (isHexDigitsOnly(t))
            accepted_ = t;
    });
    connect(this, &QLineEdit::textEdited, this, &SensorIdEdit::onTextEdited);
}

void SensorIdEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.size() != 1 || typed[0].unicode() < 0x20 || typed[0].unicode() == 0x7F) {
        // editing and navigation keys, shortcuts (paste among them) and input-method text
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QChar c = typed[0];
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
        QLineEdit::keyPressEvent(event);
    } else if (c >= 'a' && c <= 'f') {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), QString(c.toUpper()),
                        event->isAutoRepeat(), event->count());
        QLineEdit::keyPressEvent(&upper);
    } else {
        event->accept(); // dropped
    }
}

void SensorIdEdit::onTextEdited(const QString& text) {
    const QString upper = text.toUpper();
    if (!isHexDigitsOnly(upper)) {
        const QString back = accepted_;
        setText(back);
        if (refused_)
            refused_(kRefusedText);
        return;
    }
    if (upper != text) {
        const int cursor = cursorPosition();
        setText(upper);
        setCursorPosition(cursor);
    }
}
