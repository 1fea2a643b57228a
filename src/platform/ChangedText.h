#pragma once
// A line edit lays out and repaints its text at every setText, also when the text is the same.
// Fields that every answer fills again (the sensor and sender rows) take a text only when it
// differs, so that an unchanged answer repaints nothing.

#include <QString>

template <class Field> void setChangedText(Field* field, const QString& text) {
    if (field->text() != text)
        field->setText(text);
}
