#include "setup/SetupFile.h"

#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string Mismatch(const std::string& expected, const std::string& found) {
    return "INI file error, missing line for: " + expected + "\nGot instead: " + found + "\n";
}

} // namespace

TEST(SetupFileTest, Put_WritesKeyEqualsValueWithLf) {
    std::vector<std::string> written;
    CSetupFile setup([&](std::string_view line) { written.emplace_back(line); });
    setup.PutString("FontFace", "Courier New");
    setup.PutString("AntiLoopPrefix", " <");
    setup.PutString("HostName", "");
    setup.PutChar("StreamSW", '|');
    setup.PutChar("StreamSW", '\0');
    setup.PutInt("FontSize", 20);
    setup.PutInt("FontSize", -13);
    EXPECT_EQ(written, (std::vector<std::string>{"FontFace=Courier New\n", "AntiLoopPrefix= <\n",
                                                 "HostName=\n", "StreamSW=|\n", "StreamSW=\n",
                                                 "FontSize=20\n", "FontSize=-13\n"}));
}

struct GetStringRow {
    const char* name;
    std::vector<std::string> lines;
    std::string key;
    std::string value;
    std::string message; // empty: no message box
};

class SetupFileGetStringTest : public testing::TestWithParam<GetStringRow> {};

TEST_P(SetupFileGetStringTest, GetString_ReadsNextSignificantLine) {
    const GetStringRow& row = GetParam();
    RecordingUi ui;
    CSetupFile setup(row.lines, ui);
    EXPECT_EQ(setup.GetString(row.key), row.value);
    if (row.message.empty()) {
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(setup.ErrorCount(), 0);
    } else {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], row.message);
        EXPECT_EQ(setup.ErrorCount(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SetupFileGetStringTest,
    testing::Values(
        GetStringRow{"ExactKey", {"FontFace=Courier New"}, "FontFace", "Courier New", ""},
        GetStringRow{"KeyInOtherCase", {"fontFACE=Arial"}, "FontFace", "Arial", ""},
        GetStringRow{"ValueWithEquals", {"MyCall=G0ABC=1=2"}, "MyCall", "G0ABC=1=2", ""},
        GetStringRow{"ValueKeptRaw", {"AntiLoopPrefix= < "}, "AntiLoopPrefix", " < ", ""},
        GetStringRow{"LeadingWhiteSpaceRemoved", {" \t PortName=COM"}, "PortName", "COM", ""},
        GetStringRow{
            "CommentsAndBlanksSkipped",
            {"; comment", "# hash", "[section]", "/ slash", "", "   ", "\t", "PortName=CON"},
            "PortName",
            "CON",
            ""},
        GetStringRow{"NoEqualsGivesEmptyValue", {"PortName"}, "PortName", "", ""},
        GetStringRow{"EmptyValue", {"PortName="}, "PortName", "", ""},
        GetStringRow{"BlankBeforeEqualsIsOtherKey",
                     {"PortName =COM"},
                     "PortName",
                     "COM",
                     Mismatch("PortName", "PortName ")},
        GetStringRow{"LongerKeyIsOtherKey",
                     {"PortNames=COM"},
                     "PortName",
                     "COM",
                     Mismatch("PortName", "PortNames")},
        GetStringRow{"WrongKeyValueStillUsed",
                     {"HostName=dxc.example.net"},
                     "PortName",
                     "dxc.example.net",
                     Mismatch("PortName", "HostName")},
        GetStringRow{"PastLastLineGivesEmpty", {}, "PortName", "", Mismatch("PortName", "")},
        GetStringRow{"OnlyCommentsLeft", {";end", "  "}, "PortName", "", Mismatch("PortName", "")}),
    [](const testing::TestParamInfo<GetStringRow>& info) { return std::string(info.param.name); });

TEST(SetupFileTest, GetInt_ReadsLikeAtoi) {
    const std::vector<std::pair<std::string, int>> rows{{"42", 42},
                                                        {"  -7", -7},
                                                        {"+3", 3},
                                                        {"12abc", 12},
                                                        {"abc", 0},
                                                        {"", 0},
                                                        {"-", 0},
                                                        {"2147483647", INT_MAX},
                                                        {"-2147483648", INT_MIN},
                                                        {"99999999999", INT_MAX},
                                                        {"-99999999999", INT_MIN}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        RecordingUi ui;
        const std::vector<std::string> lines{"KeepAlive=" + text};
        CSetupFile setup(lines, ui);
        EXPECT_EQ(setup.GetInt("KeepAlive"), expected);
    }
}

TEST(SetupFileTest, ReadLine_SplitsLineLongerThan255Characters) {
    RecordingUi ui;
    const std::string value(246, 'x'); // "FontFace=" + 246 = 255 characters
    const std::vector<std::string> lines{"FontFace=" + value + "Bits=8", "Parity=0"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetString("FontFace"), value);
    EXPECT_EQ(setup.GetInt("Bits"), 8);
    EXPECT_EQ(setup.GetInt("Parity"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

// A damaged file can hold one line of megabytes; each piece is cut from it
// in place, so reading it costs its length and not its length squared.
TEST(SetupFileTest, ReadLine_TenMegabyteLineComesIn255CharacterPieces) {
    RecordingUi ui;
    const std::size_t size = 10 * 1024 * 1024;
    const std::vector<std::string> lines{"FontFace=" + std::string(size, 'x'), "Bits=8"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetString("FontFace"), std::string(246, 'x'));
    std::size_t pieces = 0;
    std::size_t bytes = 0;
    for (;;) {
        setup.ReadLine();
        if (setup.CurrentLine() == "Bits=8") {
            break;
        }
        ASSERT_LE(setup.CurrentLine().size(), 255u);
        ASSERT_FALSE(setup.PastEnd());
        ++pieces;
        bytes += setup.CurrentLine().size();
    }
    EXPECT_EQ(bytes, size - 246);
    EXPECT_EQ(pieces, (size - 246 + 254) / 255);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SetupFileTest, ReadLine_Exactly255CharactersIsOneLine) {
    RecordingUi ui;
    const std::string value(246, 'y');
    const std::vector<std::string> lines{"FontFace=" + value, "Bits=7"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetString("FontFace"), value);
    EXPECT_EQ(setup.GetInt("Bits"), 7);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SetupFileTest, IsNextKey_LooksWithoutConsumingAndNeverReports) {
    RecordingUi ui;
    const std::vector<std::string> lines{"; header", "fontsize=18", "FontWeight=700"};
    CSetupFile setup(lines, ui);
    EXPECT_TRUE(setup.IsNextKey("FontSize"));
    EXPECT_TRUE(setup.IsNextKey("FontSize"));
    EXPECT_FALSE(setup.IsNextKey("FontWeight"));
    EXPECT_FALSE(setup.IsNextKey("Font"));
    EXPECT_EQ(setup.GetInt("FontSize"), 18);
    EXPECT_TRUE(setup.IsNextKey("FontWeight"));
    EXPECT_EQ(setup.GetInt("FontWeight"), 700);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SetupFileTest, IsNextKey_AtEndIsFalseWithoutMessageOrPastEnd) {
    RecordingUi ui;
    const std::vector<std::string> lines{"AutoTime=60", "; trailing comment"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetInt("AutoTime"), 60);
    EXPECT_FALSE(setup.IsNextKey("showCmd"));
    EXPECT_FALSE(setup.IsNextKey("showCmd"));
    EXPECT_FALSE(setup.PastEnd());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SetupFileTest, IsNextKey_OnSplitLinePutsBackWholeLine) {
    RecordingUi ui;
    const std::string value(246, 'z');
    const std::vector<std::string> lines{"FontFace=" + value + "Bits=8"};
    CSetupFile setup(lines, ui);
    EXPECT_TRUE(setup.IsNextKey("FontFace"));
    EXPECT_EQ(setup.GetString("FontFace"), value);
    EXPECT_TRUE(setup.IsNextKey("Bits"));
    EXPECT_EQ(setup.GetInt("Bits"), 8);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(setup.PastEnd());
}

TEST(SetupFileTest, UnreadLine_NextReadLineReturnsSameLine) {
    RecordingUi ui;
    const std::vector<std::string> lines{"  PortName=CON", "IsTNCPort=0"};
    CSetupFile setup(lines, ui);
    setup.ReadLine();
    EXPECT_EQ(setup.CurrentLine(), "PortName=CON");
    setup.UnreadLine();
    setup.ReadLine();
    EXPECT_EQ(setup.CurrentLine(), "PortName=CON");
    setup.ReadLine();
    EXPECT_EQ(setup.CurrentLine(), "IsTNCPort=0");
}

TEST(SetupFileTest, WrongKey_LeavesReaderOneLineOffAndEachKeyIsReported) {
    RecordingUi ui;
    const std::vector<std::string> lines{"NumberOfPorts=1", "FontWeight=400", "FontFace=Arial"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetInt("NumberOfPorts"), 1);
    EXPECT_EQ(setup.GetInt("FontSize"), 400);
    EXPECT_EQ(setup.GetInt("FontWeight"), 0);
    EXPECT_EQ(setup.GetString("FontFace"), "");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{Mismatch("FontSize", "FontWeight"),
                                                     Mismatch("FontWeight", "FontFace"),
                                                     Mismatch("FontFace", "")}));
    EXPECT_EQ(setup.ErrorCount(), 3);
    EXPECT_TRUE(setup.PastEnd());
}

TEST(SetupFileTest, ReadingPastEnd_EveryReadReportsAndReturnsEmpty) {
    RecordingUi ui;
    const std::vector<std::string> lines{"KeepAlive=5"};
    CSetupFile setup(lines, ui);
    EXPECT_EQ(setup.GetInt("KeepAlive"), 5);
    EXPECT_FALSE(setup.PastEnd());
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(setup.GetString("PortName"), "");
        EXPECT_EQ(setup.GetInt("IsTNCPort"), 0);
    }
    EXPECT_TRUE(setup.PastEnd());
    EXPECT_EQ(setup.ErrorCount(), 200);
    ASSERT_EQ(ui.messages.size(), 200u);
    EXPECT_EQ(ui.messages[199], Mismatch("IsTNCPort", ""));
}

TEST(SetupFileTest, LineEnds_CrLfFileSplitAtEachLineEndByteReadsLikeLfFile) {
    // Splitting "A=1\r\nB=2\r\n" at every CR and at every LF leaves empty
    // lines between the real ones; they are blank and skipped.
    const std::vector<std::string> lfLines{"NumberOfPorts=2", "FontSize=20",
                                           "FontFace=Courier New"};
    const std::vector<std::string> crLfLines{"NumberOfPorts=2",      "", "FontSize=20", "",
                                             "FontFace=Courier New", ""};
    for (const auto* lines : {&lfLines, &crLfLines}) {
        RecordingUi ui;
        CSetupFile setup(*lines, ui);
        EXPECT_EQ(setup.GetInt("NumberOfPorts"), 2);
        EXPECT_TRUE(setup.IsNextKey("FontSize"));
        EXPECT_EQ(setup.GetInt("FontSize"), 20);
        EXPECT_EQ(setup.GetString("FontFace"), "Courier New");
        EXPECT_FALSE(setup.IsNextKey("showCmd"));
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(SetupFileTest, WrittenLinesReadBack) {
    std::vector<std::string> lines;
    CSetupFile writer([&](std::string_view line) {
        ASSERT_EQ(line.back(), '\n');
        lines.emplace_back(line.substr(0, line.size() - 1));
    });
    writer.PutString("PortName", "TEL=1");
    writer.PutChar("StreamSW", '|');
    writer.PutChar("StreamSW", '\0');
    writer.PutInt("HopsOut", -1);

    RecordingUi ui;
    CSetupFile reader(lines, ui);
    EXPECT_EQ(reader.GetString("PortName"), "TEL=1");
    EXPECT_EQ(reader.GetString("StreamSW"), "|");
    EXPECT_EQ(reader.GetString("StreamSW"), "");
    EXPECT_EQ(reader.GetInt("HopsOut"), -1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(reader.PastEnd());
}
