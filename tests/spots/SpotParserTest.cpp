#include "spots/SpotParser.h"
#include "spots/SpotterOptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Layout { User, Clusse, Node, Irc };

bool Parse(CSpotParser& parser, Layout layout, std::string_view line, SpotFields& spot) {
    switch (layout) {
    case Layout::User:
        return parser.ParseUserSpot(line, spot);
    case Layout::Clusse:
        return parser.ParseClusseSpot(line, spot);
    case Layout::Node:
        return parser.ParseNodeSpot(line, spot);
    case Layout::Irc:
        return parser.ParseIrcSpot(line, spot);
    }
    return false;
}

// Channel lines as an IRC server relays them; the colour lead-in is a colon,
// the byte 3, "1,15" and a blank.
std::string Channel(std::string_view channel, std::string_view text) {
    return ":K1ABC!~k1abc@irc.example.net PRIVMSG " + std::string(channel) +
           " :\x03"
           "1,15 " +
           std::string(text);
}

const std::string kIrcText = "K1ABC        14025.0 DL1XYZ       cq cq                       1234";

struct ParseRow {
    const char* name;
    Layout layout;
    std::string line;
    bool parsed;
    const char* spotter = "";
    const char* frequency = "";
    const char* dxCall = "";
    const char* comment = "";
    const char* time = "";
    int blockDashAt = 0;
    int stripAtPound = 0;
};

class SpotParserTest : public testing::TestWithParam<ParseRow> {};

TEST_P(SpotParserTest, Parse_GivesFieldsOrRefuses) {
    const ParseRow& row = GetParam();
    RouterOptions options;
    options.BlockDashAtOption = row.blockDashAt;
    options.StripAtPoundOption = row.stripAtPound;
    CSpotParser parser;
    SpotFields spot;
    ASSERT_EQ(Parse(parser, row.layout, row.line, spot) && SpotterOptions::Apply(spot, options),
              row.parsed);
    if (!row.parsed) {
        return;
    }
    EXPECT_EQ(spot.Spotter, row.spotter);
    EXPECT_EQ(spot.Frequency, row.frequency);
    EXPECT_EQ(spot.DxCall, row.dxCall);
    EXPECT_EQ(spot.Comment, row.comment);
    EXPECT_EQ(spot.Time, row.time);
}

const ParseRow kRows[] = {
    // "DX de" user layout: frequency ends at 23, call at 26, comment 39..68, time at 70.
    {"User_Spot", Layout::User,
     "DX de K1ABC:     14025.0  dl1xyz       cq cq                          1234Z", true, "K1ABC",
     "14025.0", "DL1XYZ", "cq cq", "1234"},
    {"User_LowerCaseHead_SixthCharacterAnything", Layout::User,
     "dx de-K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z", true, "K1ABC",
     "14025.0", "DL1XYZ", "cq cq", "1234"},
    {"User_EmptyComment", Layout::User,
     "DX de K1ABC:     14025.0  DL1XYZ                                      1234Z", true, "K1ABC",
     "14025.0", "DL1XYZ", "", "1234"},
    {"User_LocatorAfterTime", Layout::User,
     "DX de W3LPL:      7005.0  JA1XYZ       long path                      0001Z FN20", true,
     "W3LPL", "7005.0", "JA1XYZ", "long path", "0001"},
    {"User_SkimmerSpotter_Stripped", Layout::User,
     "DX de DL8LAS-#:  14025.0  DL1XYZ       CW 12 dB 22 WPM CQ             1234Z", true, "DL8LAS",
     "14025.0", "DL1XYZ", "CW 12 dB 22 WPM CQ", "1234", 0, 1},
    {"User_DashAt_KeptWithoutOptions", Layout::User,
     "DX de K1ABC-@:   14025.0  DL1XYZ       up 2                           1234Z", true, "K1ABC-@",
     "14025.0", "DL1XYZ", "up 2", "1234"},
    {"User_DashAt_Stripped", Layout::User,
     "DX de K1ABC-@:   14025.0  DL1XYZ       up 2                           1234Z", true, "K1ABC",
     "14025.0", "DL1XYZ", "up 2", "1234", 0, 1},
    {"User_DashAt_Blocked", Layout::User,
     "DX de K1ABC-@:   14025.0  DL1XYZ       up 2                           1234Z", false, "", "",
     "", "", "", 1, 1},
    {"User_NoColonBeforeBlank", Layout::User,
     "DX de K1ABC      14025.0  DL1XYZ       cq cq                          1234Z", false},
    {"User_FrequencyWithoutDot", Layout::User,
     "DX de K1ABC:       14025  DL1XYZ       cq                             1234Z", false},
    {"User_CallWithoutDigit", Layout::User,
     "DX de K1ABC:     14025.0  DLXYZ        cq                             1234Z", false},
    {"User_EndsBeforeTime", Layout::User, "DX de K1ABC:     14025.0  DL1XYZ       cq", false},
    {"User_EndsAfterFrequency", Layout::User, "DX de K1ABC:     14025.0", false},
    {"User_TalkLine", Layout::User, "K1ABC de DL1XYZ: hello", false},

    // "DX de" lines of other layouts, read by their fields.
    {"User_ThirteenCharacterCall_CommentLeadingBlankDropped", Layout::User,
     "DX de K1ABC:     14025.0  DL1XYZ/P/QRP1 cq cq                         1234Z", true, "K1ABC",
     "14025.0", "DL1XYZ/P/QRP1", "cq cq", "1234"},
    {"User_HundredColumns_TimeBeyondCut", Layout::User,
     "DX de K1ABC:     14025.0  DL1XYZ       cq cq                                        "
     "           1234Z",
     true, "K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234"},
    {"User_LongComment_TimeAndLocatorBeyondCut", Layout::User,
     "DX de W3LPL:      7005.0  JA1XYZ       long path to japan via the south pole    1201Z FN42",
     true, "W3LPL", "7005.0", "JA1XYZ", "long path to japan via the south pole", "1201"},
    {"User_OtherColumns", Layout::User,
     "DX de K1ABC:       14025.0   DL1XYZ        cq cq up 2                      1234Z", true,
     "K1ABC", "14025.0", "DL1XYZ", "cq cq up 2", "1234"},
    {"User_OtherColumns_LongComment", Layout::User,
     "DX de K1ABC:       14025.0   DL1XYZ        cq cq up 2 pse QSL via bureau   1234Z", true,
     "K1ABC", "14025.0", "DL1XYZ", "cq cq up 2 pse QSL via bureau", "1234"},
    {"User_OtherColumns_TimeInCommentLastTimeWins", Layout::User,
     "DX de K1ABC:       14025.0   DL1XYZ        qrt 1300Z tnx QSO pse QSL via   1234Z", true,
     "K1ABC", "14025.0", "DL1XYZ", "qrt 1300Z tnx QSO pse QSL via", "1234"},
    {"User_OtherColumns_NoColon", Layout::User,
     "DX de K1ABC        14025.0   DL1XYZ        cq cq up 2 pse QSL via bureau   1234Z", false},
    {"User_OtherColumns_NoTime", Layout::User,
     "DX de K1ABC:       14025.0   DL1XYZ        cq cq up 2 pse QSL via bureau   1234 FN42", false},
    {"User_OtherColumns_FrequencyWithoutDot", Layout::User,
     "DX de K1ABC:         14025   DL1XYZ        cq cq up 2 pse QSL via bureau   1234Z", false},

    // "DX de" Clusse layout: call at 26, time at 39, comment from 45 to BEL.
    {"Clusse_Spot_BellEndsComment", Layout::Clusse,
     "DX de K1ABC:     14025.0  dl1xyz       1234Z cq cq\x07 more", true, "K1ABC", "14025.0",
     "DL1XYZ", "cq cq", "1234"},
    {"Clusse_NoBell_CommentToEnd", Layout::Clusse,
     "DX de W3LPL:      7005.0  JA1XYZ       0001Z long path", true, "W3LPL", "7005.0", "JA1XYZ",
     "long path", "0001"},
    {"Clusse_EndsWithTime_EmptyComment", Layout::Clusse,
     "DX de K1ABC:     14025.0  DL1XYZ       1234", true, "K1ABC", "14025.0", "DL1XYZ", "", "1234"},
    {"Clusse_CallNotFollowedByBlank", Layout::Clusse, "DX de K1ABC:     14025.0  DL1XYZ", false},
    {"Clusse_EndsAfterFrequency", Layout::Clusse, "DX de K1ABC:     14025.0", false},
    {"Clusse_NoColon", Layout::Clusse, "DX de K1ABC      14025.0  DL1XYZ       1234Z cq", false},
    {"Clusse_ThirteenCharacterCall_TimeShifted", Layout::Clusse,
     "DX de K1ABC:     14025.0  DL1XYZ/P/QRP1 1234Z cq cq\x07", true, "K1ABC", "14025.0",
     "DL1XYZ/P/QRP1", "cq cq", "1234"},
    {"Clusse_ThirteenCharacterCall_NoTime", Layout::Clusse,
     "DX de K1ABC:     14025.0  DL1XYZ/P/QRP1 cq cq\x07", false},

    // Node frames.
    {"Node_Pc11", Layout::Node, "PC11^14025.0^DL1XYZ^ 7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~",
     true, "K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234"},
    {"Node_Ar17_FieldAfterNameSkipped", Layout::Node,
     "AR17^NODE1^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~", true, "K1ABC", "14025.0",
     "DL1XYZ", "cq cq", "1234"},
    {"Node_Pc11_EmptyCommentKeepsSpotter", Layout::Node,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^^K1ABC^NODE1^H99^~", true, "K1ABC", "14025.0", "DL1XYZ",
     "", "1234"},
    {"Node_Pc11_TimeWithoutZ_CallCaseKept", Layout::Node,
     "PC11^7005.0^ja1xyz^7-Dec-2026^0001^long path^W3LPL^NODE1^H7^~", true, "W3LPL", "7005.0",
     "ja1xyz", "long path", "0001"},
    {"Node_Pc11_SkimmerSpotter_Stripped", Layout::Node,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^CW 12 dB^DL8LAS-#^NODE1^H99^~", true, "DL8LAS",
     "14025.0", "DL1XYZ", "CW 12 dB", "1234", 0, 1},
    {"Node_Pc11_RunsOfSeparatorsCountAsOne", Layout::Node,
     "PC11^^14025.0^^^DL1XYZ^7-Dec-2026^1234Z^cq^^K1ABC^NODE1^H99^~", true, "K1ABC", "14025.0",
     "DL1XYZ", "cq", "1234"},
    {"Node_Pc11_LongRunBeforeSpotterAfterEmptyComment", Layout::Node,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^^^K1ABC^NODE1^H99^~", true, "K1ABC", "14025.0", "DL1XYZ",
     "", "1234"},
    {"Node_Pc11_SpotterMissing", Layout::Node, "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq", false},
    {"Node_Pc11_BlankPaddedDayNoTail", Layout::Node,
     "PC11^14045.0^VP8NC^ 8-Dec-2026^0808Z^node node-out^G4BBB^GB7TST^H30", true, "G4BBB",
     "14045.0", "VP8NC", "node node-out", "0808"},
    {"Node_Pc61_AddressIgnored", Layout::Node,
     "PC61^14045.0^VP8NC^ 8-Dec-2026^0808Z^node node-out^G4BBB^GB7TST^192.0.2.7^H30^~", true,
     "G4BBB", "14045.0", "VP8NC", "node node-out", "0808"},
    {"Node_OtherFrame", Layout::Node, "PC12^K1ABC^*^hello all^*^NODE1^0^H99^~", false},
    {"Node_Pc11_FrequencyWithoutDot", Layout::Node,
     "PC11^14025^DL1XYZ^7-Dec-2026^1234Z^cq^K1ABC^NODE1^H99^~", false},

    // IRC channel spots.
    {"Irc_UpperCaseChannel", Layout::Irc, Channel("#CQDX", kIrcText), true, "K1ABC", "14025.0",
     "DL1XYZ", "cq cq", "1234"},
    {"Irc_LowerCaseChannel", Layout::Irc,
     Channel("#cqdx", "W3LPL         7005.0 dl1xyz       up 2                        0001"), true,
     "W3LPL", "7005.0", "DL1XYZ", "up 2", "0001"},
    {"Irc_TopBitsCleared", Layout::Irc,
     ":K1ABC!~k1abc@irc.example.net \xD0RIVMSG #CQDX :\x83"
     "1,15 K1ABC        14025.0 DL1XYZ       \xE3q \xE3q                       1234",
     true, "K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234"},
    {"Irc_LongComment_EndsBeforeColumn60", Layout::Irc,
     Channel("#CQDX", "K1ABC        14025.0 DL1XYZ       loud signal tnx QSO via bure1234"), true,
     "K1ABC", "14025.0", "DL1XYZ", "loud signal tnx QSO via bu", "1234"},
    {"Irc_EmptyComment", Layout::Irc,
     Channel("#CQDX", "K1ABC        14025.0 DL1XYZ                                   1234"), true,
     "K1ABC", "14025.0", "DL1XYZ", "", "1234"},
    {"Irc_NoColourCode", Layout::Irc, ":K1ABC!~k1abc@irc.example.net PRIVMSG #CQDX :" + kIrcText,
     false},
    {"Irc_OtherChannel", Layout::Irc, Channel("#dx", kIrcText), false},
    {"Irc_Notice", Layout::Irc,
     ":K1ABC!~k1abc@irc.example.net NOTICE #CQDX :\x03"
     "1,15 " +
         kIrcText,
     false},
    {"Irc_TextEndsBeforeTime", Layout::Irc, Channel("#CQDX", "K1ABC        14025.0 DL1XYZ  cq"),
     false},
    {"Irc_FourBlanksBeforeCall", Layout::Irc,
     Channel("#CQDX", "K1ABC        14025.0     DL1XYZ   cq cq                       1234"), false},
};

INSTANTIATE_TEST_SUITE_P(WireLines, SpotParserTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShortLineRow {
    const char* name;
    Layout layout;
    std::string line;
    // The shortest beginning of the line that is still a spot.
    std::size_t shortestSpot;
};

class SpotParserShortLineTest : public testing::TestWithParam<ShortLineRow> {};

TEST_P(SpotParserShortLineTest, Parse_EveryBeginningOfLine_SpotOnlyOnceFieldsComplete) {
    const ShortLineRow& row = GetParam();
    CSpotParser parser;
    for (std::size_t n = 0; n <= row.line.size(); ++n) {
        // A copy of exactly n bytes, so that reading past it is seen by sanitizers.
        const std::string beginning = row.line.substr(0, n);
        SpotFields spot;
        EXPECT_EQ(Parse(parser, row.layout, beginning, spot), n >= row.shortestSpot)
            << "length " << n;
    }
}

const ShortLineRow kShortLineRows[] = {
    {"User", Layout::User,
     "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z", 74},
    {"Clusse", Layout::Clusse, "DX de K1ABC:     14025.0  DL1XYZ       1234Z cq cq\x07", 43},
    {"Node", Layout::Node, "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~", 46},
    {"Irc", Layout::Irc, Channel("#CQDX", kIrcText), Channel("#CQDX", kIrcText).size()},
};

INSTANTIATE_TEST_SUITE_P(WireLines, SpotParserShortLineTest, testing::ValuesIn(kShortLineRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpotParserTest, Fields_ViewParserBuffer_OutliveTheLine) {
    CSpotParser parser;
    SpotFields spot;
    std::string line = "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~";
    ASSERT_TRUE(parser.ParseNodeSpot(line, spot));
    line.assign(line.size(), 'x');
    EXPECT_EQ(spot.Spotter, "K1ABC");
    EXPECT_EQ(spot.Frequency, "14025.0");
    EXPECT_EQ(spot.DxCall, "DL1XYZ");
    EXPECT_EQ(spot.Comment, "cq cq");
    EXPECT_EQ(spot.Time, "1234");
}

TEST(SpotParserTest, Parse_NotASpot_RecordCleared) {
    CSpotParser parser;
    SpotFields spot;
    ASSERT_TRUE(
        parser.ParseNodeSpot("PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~", spot));
    EXPECT_FALSE(parser.ParseUserSpot("K1ABC de DL1XYZ: hello", spot));
    EXPECT_TRUE(spot.Spotter.empty());
    EXPECT_TRUE(spot.Frequency.empty());
    EXPECT_TRUE(spot.DxCall.empty());
    EXPECT_TRUE(spot.Comment.empty());
    EXPECT_TRUE(spot.Time.empty());
}

TEST(SpotParserTest, Options_AppliedToTheParsedSpot) {
    RouterOptions options;
    CSpotParser parser;
    SpotFields spot;
    const std::string line =
        "DX de K1ABC-@:   14025.0  DL1XYZ       up 2                           1234Z";
    ASSERT_TRUE(parser.ParseUserSpot(line, spot));
    EXPECT_EQ(spot.Spotter, "K1ABC-@");
    SpotFields seen = spot;
    EXPECT_TRUE(SpotterOptions::Apply(seen, options));
    options.BlockDashAtOption = 1;
    seen = spot;
    EXPECT_FALSE(SpotterOptions::Apply(seen, options));
}

struct ValidateRow {
    const char* name;
    SpotFields spot;
    bool valid;
    const char* spotterAfter = "";
    int blockDashAt = 0;
    int stripAtPound = 0;
};

class SpotParserValidateTest : public testing::TestWithParam<ValidateRow> {};

TEST_P(SpotParserValidateTest, ValidateSpot_AppliesEveryRule) {
    const ValidateRow& row = GetParam();
    RouterOptions options;
    options.BlockDashAtOption = row.blockDashAt;
    options.StripAtPoundOption = row.stripAtPound;
    SpotFields spot = row.spot;
    EXPECT_EQ(CSpotParser::ValidateSpot(spot) && SpotterOptions::Apply(spot, options), row.valid);
    if (row.valid) {
        EXPECT_EQ(spot.Spotter, row.spotterAfter);
        EXPECT_EQ(spot.Frequency, row.spot.Frequency);
        EXPECT_EQ(spot.DxCall, row.spot.DxCall);
        EXPECT_EQ(spot.Comment, row.spot.Comment);
        EXPECT_EQ(spot.Time, row.spot.Time);
    }
}

SpotFields Spot(const char* spotter, const char* frequency, const char* call,
                const char* time = "1234") {
    return SpotFields{spotter, frequency, call, "cq", time};
}

const ValidateRow kValidateRows[] = {
    {"Plain", Spot("K1ABC", "14025.0", "DL1XYZ"), true, "K1ABC"},
    {"Frequency5Characters", Spot("K1ABC", "1.825", "DL1XYZ"), true, "K1ABC"},
    {"Frequency11Characters", Spot("K1ABC", "10489540.00", "DL1XYZ"), true, "K1ABC"},
    {"Frequency4Characters", Spot("K1ABC", "1.82", "DL1XYZ"), false},
    {"Frequency12Characters", Spot("K1ABC", "10489540.000", "DL1XYZ"), false},
    {"FrequencyWithoutDot", Spot("K1ABC", "14025", "DL1XYZ"), false},
    {"FrequencyLeadingDot", Spot("K1ABC", ".14025", "DL1XYZ"), false},
    {"FrequencyTrailingDot", Spot("K1ABC", "14025.", "DL1XYZ"), false},
    {"FrequencyWithLetter", Spot("K1ABC", "14O25.0", "DL1XYZ"), false},
    {"CallWithSlash", Spot("K1ABC", "14025.0", "DL1XYZ/P"), true, "K1ABC"},
    {"Call3Characters", Spot("K1ABC", "14025.0", "K1A"), true, "K1ABC"},
    {"Call13Characters", Spot("K1ABC", "14025.0", "VP2E/DL1XYZ/P"), true, "K1ABC"},
    {"Call2Characters", Spot("K1ABC", "14025.0", "K1"), false},
    {"Call14Characters", Spot("K1ABC", "14025.0", "VP2E/DL1XYZ/QR"), false},
    {"CallWithoutDigit", Spot("K1ABC", "14025.0", "DLXYZ"), false},
    {"CallWithoutLetter", Spot("K1ABC", "14025.0", "1234"), false},
    {"CallWithDash", Spot("K1ABC", "14025.0", "DL1XYZ-1"), false},
    {"Time3Digits", Spot("K1ABC", "14025.0", "DL1XYZ", "123"), false},
    {"Time5Characters", Spot("K1ABC", "14025.0", "DL1XYZ", "1234Z"), false},
    {"TimeWithLetter", Spot("K1ABC", "14025.0", "DL1XYZ", "12a4"), false},
    {"SpotterAllowedMarks", Spot("K1/AB-2@", "14025.0", "DL1XYZ"), true, "K1/AB-2@"},
    {"SpotterWithDot", Spot("K1ABC.", "14025.0", "DL1XYZ"), false},
    {"Spotter2Characters", Spot("K1", "14025.0", "DL1XYZ"), false},
    {"Spotter14Characters", Spot("KH6ABC/W1AW-2#", "14025.0", "DL1XYZ"), false},
    {"SpotterWithoutDigit", Spot("KABC", "14025.0", "DL1XYZ"), false},
    {"SpotterWithoutLetter", Spot("1234", "14025.0", "DL1XYZ"), false},
    {"DashAt_Blocked", Spot("K1ABC-@", "14025.0", "DL1XYZ"), false, "", 1, 0},
    {"DashPound_NotBlocked", Spot("K1ABC-#", "14025.0", "DL1XYZ"), true, "K1ABC-#", 1, 0},
    {"DashAt_Stripped", Spot("K1ABC-@", "14025.0", "DL1XYZ"), true, "K1ABC", 0, 1},
    {"DashPound_Stripped", Spot("DL8LAS-#", "14025.0", "DL1XYZ"), true, "DL8LAS", 0, 1},
    {"NoSuffix_NotStripped", Spot("K1ABC", "14025.0", "DL1XYZ"), true, "K1ABC", 0, 1},
};

INSTANTIATE_TEST_SUITE_P(Records, SpotParserValidateTest, testing::ValuesIn(kValidateRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
