#include "port/KeepAliveTimer.h"

#include "support/SettableClock.h"

#include <gtest/gtest.h>

TEST(KeepAliveTimerTest, IsDue_OnlyFromNowPlusMinutesThenRearmed) {
    SettableClock clock;
    const auto start = clock.seconds;
    CKeepAliveTimer timer;
    timer.Set(2, clock);
    EXPECT_EQ(timer.Minutes(), 2);

    clock.seconds = start + 119;
    EXPECT_FALSE(timer.IsDue(clock));
    clock.seconds = start + 120;
    EXPECT_TRUE(timer.IsDue(clock));
    // Rearmed from the moment it fired.
    EXPECT_FALSE(timer.IsDue(clock));
    clock.seconds = start + 239;
    EXPECT_FALSE(timer.IsDue(clock));
    clock.seconds = start + 240;
    EXPECT_TRUE(timer.IsDue(clock));
}

TEST(KeepAliveTimerTest, IsDue_LateCheckRearmsFromTheLateTime) {
    SettableClock clock;
    const auto start = clock.seconds;
    CKeepAliveTimer timer;
    timer.Set(1, clock);
    clock.seconds = start + 200;
    EXPECT_TRUE(timer.IsDue(clock));
    clock.seconds = start + 259;
    EXPECT_FALSE(timer.IsDue(clock));
    clock.seconds = start + 260;
    EXPECT_TRUE(timer.IsDue(clock));
}

TEST(KeepAliveTimerTest, Rearm_PushesDueTimeFromNow) {
    SettableClock clock;
    const auto start = clock.seconds;
    CKeepAliveTimer timer;
    timer.Set(1, clock);
    clock.seconds = start + 50;
    timer.Rearm(clock);
    clock.seconds = start + 60;
    EXPECT_FALSE(timer.IsDue(clock));
    clock.seconds = start + 110;
    EXPECT_TRUE(timer.IsDue(clock));
}

TEST(KeepAliveTimerTest, IsDue_NeverWhenOffOrNegative) {
    SettableClock clock;
    const auto start = clock.seconds;
    for (int minutes : {0, -1}) {
        SCOPED_TRACE(minutes);
        CKeepAliveTimer timer;
        timer.Set(minutes, clock);
        for (auto later : {0, 1, 60, 86'400}) {
            clock.seconds = start + later;
            EXPECT_FALSE(timer.IsDue(clock));
        }
        clock.seconds = start;
    }
    CKeepAliveTimer unset;
    EXPECT_EQ(unset.Minutes(), 0);
    EXPECT_FALSE(unset.IsDue(clock));
}
