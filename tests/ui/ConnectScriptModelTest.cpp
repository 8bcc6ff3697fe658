#include "ui/ConnectScriptModel.h"

#include <gtest/gtest.h>

namespace {

ConnectScriptValues Script() {
    ConnectScriptValues v;
    v.prompts[0] = "login:";
    v.responses[0] = "G4ABC";
    v.prompts[9] = "password:";
    v.responses[9] = "secret\\M";
    v.autoReconnect = true;
    v.autoTime = 120;
    return v;
}

} // namespace

TEST(ConnectScriptModelTest, OpensWithTheCurrentValues) {
    CConnectScriptModel model(Script());
    EXPECT_EQ(model.prompts[0], "login:");
    EXPECT_EQ(model.responses[0], "G4ABC");
    EXPECT_EQ(model.prompts[9], "password:");
    EXPECT_EQ(model.responses[9], "secret\\M");
    EXPECT_TRUE(model.autoReconnect);
    EXPECT_EQ(model.seconds, "120");
}

TEST(ConnectScriptModelTest, Accept_WritesRowsCheckBoxAndSeconds) {
    CConnectScriptModel model(ConnectScriptValues{});
    model.prompts[6] = "Node>";
    model.responses[6] = "sh/dx";
    model.autoReconnect = true;
    model.seconds = "9999";
    ConnectScriptValues out;
    ASSERT_FALSE(model.Accept(out).has_value());
    EXPECT_EQ(out.prompts[6], "Node>");
    EXPECT_EQ(out.responses[6], "sh/dx");
    EXPECT_EQ(out.prompts[0], "");
    EXPECT_TRUE(out.autoReconnect);
    EXPECT_EQ(out.autoTime, 9999);
}

TEST(ConnectScriptModelTest, Accept_RefusesSecondsOutsideRangeAndChangesNothing) {
    for (const std::string& seconds : {std::string("10000"), std::string("-1")}) {
        CConnectScriptModel model(Script());
        model.seconds = seconds;
        model.prompts[0] = "changed";
        ConnectScriptValues out = Script();
        auto problem = model.Accept(out);
        ASSERT_TRUE(problem.has_value()) << seconds;
        EXPECT_EQ(*problem, "Please enter an integer between 0 and 9999.");
        EXPECT_EQ(out.prompts[0], "login:");
        EXPECT_EQ(out.autoTime, 120);
    }
    CConnectScriptModel model(Script());
    model.seconds = "1m";
    ConnectScriptValues out;
    EXPECT_EQ(model.Accept(out), std::optional<std::string>("Please enter an integer."));
}
