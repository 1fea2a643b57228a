#pragma once
// The main window's seven timers on a manual clock, for the panel rigs of the unit tests.

#include "core/ToolContext.h"
#include "platform/Timer.h"

#include <array>
#include <memory>

struct ManualTimers {
    // Intervals of Timer1 .. Timer7 in milliseconds.
    explicit ManualTimers(std::array<int, 7> ms)
        : t1(clock.createTimer("Timer1", ms[0]))
        , t2(clock.createTimer("Timer2", ms[1]))
        , t3(clock.createTimer("Timer3", ms[2]))
        , t4(clock.createTimer("Timer4", ms[3]))
        , t5(clock.createTimer("Timer5", ms[4]))
        , t6(clock.createTimer("Timer6", ms[5]))
        , t7(clock.createTimer("Timer7", ms[6])) {}

    ManualClock clock;
    std::unique_ptr<Timer> t1, t2, t3, t4, t5, t6, t7;
    MainTimers timers{*t1, *t2, *t3, *t4, *t5, *t6, *t7};
};
