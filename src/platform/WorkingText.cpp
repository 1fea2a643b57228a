#include "platform/WorkingText.h"

#include "platform/ChangedText.h"

#include <QLineEdit>

WorkingText::WorkingText(QLineEdit* shown)
    : QObject(shown)
    , shown_(shown)
    , text_(shown->text()) {
    connect(shown, &QLineEdit::textEdited, this, [this](const QString& typed) { text_ = typed; });
}

void WorkingText::set(const QString& text) {
    text_ = text;
    if (showPending_ || shown_->text() == text)
        return;
    showPending_ = true;
    QMetaObject::invokeMethod(this, &WorkingText::show, Qt::QueuedConnection);
}

void WorkingText::show() {
    showPending_ = false;
    setChangedText(shown_, text_);
}
