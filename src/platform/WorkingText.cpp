#include "platform/WorkingText.h"

#include "platform/ChangedText.h"

#include <QAbstractEventDispatcher>
#include <QLineEdit>
#include <utility>

WorkingText::WorkingText(QLineEdit* shown)
    : QObject(shown)
    , shown_(shown)
    , text_(shown->text()) {
    connect(shown, &QLineEdit::textEdited, this, [this](const QString& typed) { text_ = typed; });
    // Shown when the loop is about to wait or has handled what woke it: a posted event would
    // wake the loop once more at every answer only to find the box unchanged.
    if (auto* loop = QAbstractEventDispatcher::instance(thread())) {
        connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, &WorkingText::show);
        connect(loop, &QAbstractEventDispatcher::awake, this, &WorkingText::show);
    }
}

void WorkingText::set(const QString& text) {
    text_ = text;
    showPending_ = true;
}

void WorkingText::show() {
    if (!std::exchange(showPending_, false))
        return;
    setChangedText(shown_, text_);
}
