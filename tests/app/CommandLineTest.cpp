#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::vector<std::string> args) {
    return CommandLine::Parse(args);
}

struct StartFlagRow {
    const char* name;
    const char* arg;
    bool isFlag;
};

void PrintTo(const StartFlagRow& row, std::ostream* os) {
    *os << row.name;
}

class StartFlagTest : public ::testing::TestWithParam<StartFlagRow> {};

TEST_P(StartFlagTest, IsStartFlag_StartAfterSlashOrHyphenInAnyCase) {
    EXPECT_EQ(CommandLine::IsStartFlag(GetParam().arg), GetParam().isFlag);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartFlagTest,
                         ::testing::Values(StartFlagRow{"SlashUpper", "/START", true},
                                           StartFlagRow{"SlashLower", "/start", true},
                                           StartFlagRow{"HyphenMixed", "-StArT", true},
                                           StartFlagRow{"TrailingX", "/STARTX", false},
                                           StartFlagRow{"NoLead", "START", false},
                                           StartFlagRow{"DoubleHyphen", "--START", false},
                                           StartFlagRow{"Shorter", "/STAR", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTest, Parse_HeadlessWithFileAndStart) {
    const CommandLine cl = Parse({"--headless", "setup.ini", "/start", "--follow"});
    EXPECT_EQ(cl.mode, CommandLine::Mode::Headless);
    EXPECT_EQ(cl.setupFile, "setup.ini");
    EXPECT_TRUE(cl.start);
    EXPECT_TRUE(cl.follow);
    EXPECT_EQ(cl.saveAs, "");
}

TEST(CommandLineTest, Parse_GuiByDefaultWithAnAbsolutePath) {
    const CommandLine cl = Parse({"/home/op/shack.ini", "-START"});
    EXPECT_EQ(cl.mode, CommandLine::Mode::Gui);
    EXPECT_EQ(cl.setupFile, "/home/op/shack.ini");
    EXPECT_TRUE(cl.start);
}

TEST(CommandLineTest, Parse_CheckWithSaveAsInBothForms) {
    const CommandLine spaced = Parse({"--check", "in.ini", "--save-as", "out.ini"});
    EXPECT_EQ(spaced.mode, CommandLine::Mode::Check);
    EXPECT_EQ(spaced.saveAs, "out.ini");
    const CommandLine joined = Parse({"--save-as=out.ini", "--check", "in.ini"});
    EXPECT_EQ(joined.mode, CommandLine::Mode::Check);
    EXPECT_EQ(joined.setupFile, "in.ini");
    EXPECT_EQ(joined.saveAs, "out.ini");
}

TEST(CommandLineTest, Parse_DoubleHyphenMakesTheRestFileNames) {
    const CommandLine dashed = Parse({"--check", "--", "-shack.ini"});
    EXPECT_EQ(dashed.mode, CommandLine::Mode::Check);
    EXPECT_EQ(dashed.setupFile, "-shack.ini");
    EXPECT_EQ(dashed.error, "");
    const CommandLine slashed = Parse({"--", "/START"});
    EXPECT_EQ(slashed.mode, CommandLine::Mode::Gui);
    EXPECT_EQ(slashed.setupFile, "/START");
    EXPECT_FALSE(slashed.start);
}

struct BadLineRow {
    const char* name;
    std::vector<std::string> args;
    const char* error;
};

void PrintTo(const BadLineRow& row, std::ostream* os) {
    *os << row.name;
}

class BadCommandLineTest : public ::testing::TestWithParam<BadLineRow> {};

TEST_P(BadCommandLineTest, Parse_GivesTheErrorMode) {
    const CommandLine cl = CommandLine::Parse(GetParam().args);
    EXPECT_EQ(cl.mode, CommandLine::Mode::Error);
    EXPECT_EQ(cl.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadCommandLineTest,
    ::testing::Values(
        BadLineRow{"HeadlessStartX",
                   {"setup.ini", "/STARTX", "--headless"},
                   "unrecognized option '/STARTX'"},
        BadLineRow{
            "CheckHyphenStartX", {"--check", "a.ini", "-startx"}, "unrecognized option '-startx'"},
        BadLineRow{"UnknownLongOption", {"--bogus"}, "unrecognized option '--bogus'"},
        BadLineRow{"HeadlessWithoutFile", {"--headless"}, "--headless needs a setup file"},
        BadLineRow{"CheckWithoutFile", {"--check"}, "--check needs a setup file"},
        BadLineRow{"SaveAsWithoutCheck",
                   {"--headless", "a.ini", "--save-as", "b.ini"},
                   "--save-as needs --check"},
        BadLineRow{"SaveAsWithoutName",
                   {"--check", "a.ini", "--save-as"},
                   "option '--save-as' requires a file name"},
        BadLineRow{"HeadlessAndCheck",
                   {"--headless", "--check", "a.ini"},
                   "--headless and --check cannot be combined"},
        BadLineRow{
            "TwoFiles", {"a.ini", "b.ini"}, "more than one setup file given ('a.ini', 'b.ini')"},
        BadLineRow{"SecondFileAfterDoubleHyphen",
                   {"a.ini", "--", "--b.ini"},
                   "more than one setup file given ('a.ini', '--b.ini')"},
        BadLineRow{"FlagWithValue",
                   {"--headless=yes", "a.ini"},
                   "option '--headless' doesn't allow an argument"},
        BadLineRow{"HelpWithValue", {"--help=all"}, "option '--help' doesn't allow an argument"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTest, Parse_WindowIgnoresFlagsThatOnlyBeginWithStart) {
    const CommandLine cl = Parse({"setup.ini", "/STARTX", "-startup"});
    EXPECT_EQ(cl.mode, CommandLine::Mode::Gui);
    EXPECT_FALSE(cl.start);
    EXPECT_EQ(cl.setupFile, "setup.ini");
    EXPECT_EQ(cl.ignored, (std::vector<std::string>{"/STARTX", "-startup"}));
}

TEST(CommandLineTest, Parse_HelpAndVersionWinOverTheRest) {
    EXPECT_EQ(Parse({"--bogus-later", "--help"}).mode, CommandLine::Mode::Error);
    EXPECT_EQ(Parse({"--help", "--bogus"}).mode, CommandLine::Mode::Help);
    EXPECT_EQ(Parse({"--version"}).mode, CommandLine::Mode::Version);
}

} // namespace
