#include "ui/CommandHistory.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandHistoryTest, Enter_StoresNewestFirstAndSkipsEmptyAndRepeats) {
    CCommandHistory history;
    history.OnEnter("sh/dx");
    history.OnEnter("");
    history.OnEnter("sh/dx");
    history.OnEnter("sh/wwv");
    EXPECT_EQ(history.Entry(0), "sh/wwv");
    EXPECT_EQ(history.Entry(1), "sh/dx");
    EXPECT_EQ(history.Entry(2), "");
    EXPECT_EQ(history.Position(), -1);
}

TEST(CommandHistoryTest, UpAndDown_WalkOlderAndNewerAndStopAtTheEnds) {
    CCommandHistory history;
    history.OnEnter("one");
    history.OnEnter("two");
    EXPECT_EQ(history.Up(""), "two");
    EXPECT_EQ(history.Up("two"), "one");
    EXPECT_EQ(history.Up("one"), "one");
    EXPECT_EQ(history.Position(), 1);
    EXPECT_EQ(history.Down(), "two");
    EXPECT_EQ(history.Down(), "");
    EXPECT_EQ(history.Down(), "");
    EXPECT_EQ(history.Position(), -1);
}

TEST(CommandHistoryTest, Up_KeepsWhatWasTypedAsNewestEntry) {
    CCommandHistory history;
    history.OnEnter("one");
    EXPECT_EQ(history.Up("half typed"), "one");
    EXPECT_EQ(history.Entry(0), "half typed");
    EXPECT_EQ(history.Down(), "half typed");
}

TEST(CommandHistoryTest, SeventeenCommands_OldestNoLongerReachable) {
    CCommandHistory history;
    for (int i = 1; i <= 17; ++i) {
        history.OnEnter("cmd" + std::to_string(i));
    }
    std::string shown;
    for (int i = 0; i < 20; ++i) {
        shown = history.Up(shown);
    }
    EXPECT_EQ(shown, "cmd2");
    EXPECT_EQ(history.Position(), 15);
}
