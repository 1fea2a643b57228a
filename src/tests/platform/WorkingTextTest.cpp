#include "platform/WorkingText.h"

#include <QAbstractEventDispatcher>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

// The box shows the working text as it stands when the loop turns, never what was filled and
// cleared again in between.
TEST(WorkingText, TheBoxShowsTheTextAsItStandsWhenTheLoopTurns) {
    QLineEdit box;
    WorkingText working(&box);
    QSignalSpy shown(&box, &QLineEdit::textChanged);
    for (const char* text : {"0103", "", ":0103"}) {
        working.set(text);
        EXPECT_TRUE(box.text().isEmpty());
    }
    emit QAbstractEventDispatcher::instance()->awake();
    EXPECT_EQ(box.text(), ":0103");
    EXPECT_EQ(shown.count(), 1);
}
