#pragma once
// Key filters of the text boxes: a key that is not allowed is dropped, pasted text included
// (a paste that holds such a character is refused whole).

#include <QLineEdit>
#include <QRegularExpressionValidator>

inline void allowOnly(QLineEdit* box, const QString& pattern, int maxLength = 32767) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), box));
    box->setMaxLength(maxLength);
}
