#pragma once
// A selection made by the program runs the same click handler as the user's, once, and also when
// the same entry is selected again. QComboBox::activated fires only for the user, and
// currentIndexChanged not for a re-selection, so list clicks go through here.

#include <QComboBox>
#include <QObject>
#include <functional>

// Runs handler whenever the user picks an entry of the list.
inline void onListClick(QComboBox* list, std::function<void()> handler) {
    QObject::connect(list, &QComboBox::activated, list, [handler](int) { handler(); });
}

// Selects entry index (-1 clears) as the user would, then runs the list's click handler.
inline void selectEntry(QComboBox* list, int index) {
    {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
    }
    emit list->activated(index);
}
