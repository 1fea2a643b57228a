#include "platform/Timer.h"

#include <gtest/gtest.h>

namespace {
struct Recorded {
    QString name;
    int64_t at;
};

struct TimerFixture : ::testing::Test {
    ManualClock clock;
    std::vector<Recorded> ticks;
    std::unique_ptr<Timer> make(const QString& name, int interval) {
        auto t = clock.createTimer(name, interval);
        t->setTickHandler([this, name] { ticks.push_back({name, clock.nowMs()}); });
        return t;
    }
    std::vector<int64_t> times() const {
        std::vector<int64_t> out;
        for (auto& r : ticks)
            out.push_back(r.at);
        return out;
    }
};
} // namespace

TEST_F(TimerFixture, EnabledTimerTicksAtEachInterval) {
    auto t = make("a", 100);
    t->setEnabled(true);
    clock.advance(350);
    EXPECT_EQ(times(), (std::vector<int64_t>{100, 200, 300}));
    EXPECT_EQ(clock.nowMs(), 350);
}

TEST_F(TimerFixture, IntervalZeroNeverTicks) {
    auto t = make("a", 0);
    t->setEnabled(true);
    clock.advance(10000);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerFixture, EnablingAnEnabledTimerKeepsItsCountdown) {
    auto t = make("a", 100);
    t->setEnabled(true);
    clock.advance(60);
    t->setEnabled(true);
    clock.advance(40);
    EXPECT_EQ(times(), (std::vector<int64_t>{100}));
}

TEST_F(TimerFixture, ChangingTheIntervalRestartsTheCountdown) {
    auto t = make("a", 100);
    t->setEnabled(true);
    clock.advance(60);
    t->setInterval(100);
    clock.advance(99);
    EXPECT_TRUE(ticks.empty());
    clock.advance(1);
    EXPECT_EQ(times(), (std::vector<int64_t>{160}));
}

TEST_F(TimerFixture, DisablingStopsAndReenablingStartsAFreshCountdown) {
    auto t = make("a", 100);
    t->setEnabled(true);
    clock.advance(50);
    t->setEnabled(false);
    clock.advance(500);
    EXPECT_TRUE(ticks.empty());
    t->setEnabled(true);
    clock.advance(100);
    EXPECT_EQ(times(), (std::vector<int64_t>{650}));
}

TEST_F(TimerFixture, TicksRunInTimeOrderAndTiesInCreationOrder) {
    auto slow = make("slow", 300);
    auto fast = make("fast", 100);
    slow->setEnabled(true);
    fast->setEnabled(true);
    clock.advance(300);
    ASSERT_EQ(ticks.size(), 4u);
    EXPECT_EQ(ticks[0].name, "fast");
    EXPECT_EQ(ticks[1].name, "fast");
    EXPECT_EQ(ticks[2].name, "slow"); // made first, so first at 300
    EXPECT_EQ(ticks[3].name, "fast");
}

TEST_F(TimerFixture, AHandlerThatEnablesAnotherTimerIsSeenInTheSameAdvance) {
    auto second = make("second", 50);
    auto first = clock.createTimer("first", 100);
    first->setTickHandler([&] {
        first->setEnabled(false);
        second->setEnabled(true);
    });
    first->setEnabled(true);
    clock.advance(200);
    EXPECT_EQ(times(), (std::vector<int64_t>{150, 200}));
}

TEST(TimerClamp, IntervalsBeyondWhatTimersAcceptAreClamped) {
    EXPECT_EQ(clampTimerInterval(-5), 0);
    EXPECT_EQ(clampTimerInterval(int64_t{1} << 40), kMaxTimerInterval);
    EXPECT_EQ(clampTimerInterval(400), 400);
}
