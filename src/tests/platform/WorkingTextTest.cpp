#include "platform/WorkingText.h"

#include <QAbstractEventDispatcher>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

// The box shows what its working text holds when the loop turns, not while code fills and
// clears it.
TEST(WorkingText, TheBoxShowsTheTextAsItStandsWhenTheLoopTurns) {
    QLineEdit box;
    WorkingText working(&box);
    QSignalSpy shown(&box, &QLineEdit::textChanged);
    const auto loopTurns = [] { emit QAbstractEventDispatcher::instance()->awake(); };
    working.set("0103");
    working.set("");
    loopTurns();
    EXPECT_EQ(shown.count(), 0) << "filled and cleared within one handler";
    working.set(":0103");
    EXPECT_TRUE(box.text().isEmpty());
    loopTurns();
    EXPECT_EQ(box.text(), ":0103");
    EXPECT_EQ(working.text(), ":0103");
}
