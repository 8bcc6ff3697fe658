#include "spots/SpotFormatter.h"

#include "support/SettableClock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Form { PC11, ClusseCommand, DxCommand, DxDe, Irc };

bool Format(CSpotFormatter& formatter, Form form, const SpotFields& spot) {
    switch (form) {
    case Form::PC11:
        return formatter.FormatPC11(spot);
    case Form::ClusseCommand:
        return formatter.FormatClusseCommand(spot);
    case Form::DxCommand:
        return formatter.FormatDxCommand(spot);
    case Form::DxDe:
        return formatter.FormatDxDe(spot);
    case Form::Irc:
        return formatter.FormatIrcSpot(spot);
    }
    return false;
}

RouterOptions StationOptions() {
    RouterOptions options;
    options.MyCall = "W1AW";
    options.AntiLoopPrefix = " <";
    options.HopsOut = "99";
    return options;
}

struct FormatRow {
    const char* name;
    Form form;
    SpotFields spot;
    bool formatted;
    std::string text;
    const char* prefix = " <";
    const char* hops = "99";
};

const SpotFields kSpot{"K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234"};

SpotFields WithComment(const char* comment) {
    SpotFields spot = kSpot;
    spot.Comment = comment;
    return spot;
}

class SpotFormatterTest : public testing::TestWithParam<FormatRow> {};

TEST_P(SpotFormatterTest, Format_BuildsWireLineOrRefuses) {
    const FormatRow& row = GetParam();
    RouterOptions options = StationOptions();
    options.AntiLoopPrefix = row.prefix;
    options.HopsOut = row.hops;
    SettableClock clock;
    CSpotFormatter formatter(options, clock);
    EXPECT_EQ(Format(formatter, row.form, row.spot), row.formatted);
    EXPECT_EQ(formatter.Text(), row.text);
}

const FormatRow kRows[] = {
    {"PC11_MarkedWithDateCallAndHops", Form::PC11, kSpot, true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq <W1AW^K1ABC^W1AW^H99^~"},
    {"PC11_SpotterUpperCase", Form::PC11,
     SpotFields{"dl8las", "7005.0", "JA1XYZ", "long path", "0001"}, true,
     "PC11^7005.0^JA1XYZ^7-Dec-2026^0001Z^long path <W1AW^DL8LAS^W1AW^H99^~"},
    {"PC11_TimeWithZ_NoSecondZ", Form::PC11,
     SpotFields{"K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234Z"}, true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq <W1AW^K1ABC^W1AW^H99^~"},
    {"PC11_OwnMarkInComment_Refused", Form::PC11, WithComment("cq cq <W1AW"), false, ""},
    {"PC11_OtherStationsMark_MarkAdded", Form::PC11, WithComment("cq <K2XX"), true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq <K2XX <W1AW^K1ABC^W1AW^H99^~"},
    {"PC11_EmptyCommentNoPrefix_Blank", Form::PC11, WithComment(""), true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^ ^K1ABC^W1AW^H99^~", ""},
    {"PC11_NoPrefix_OwnCallNotALoop", Form::PC11, WithComment("cq <W1AW"), true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq <W1AW^K1ABC^W1AW^H99^~", ""},
    {"PC11_LongComment_ShortenedForMark", Form::PC11,
     WithComment("CQ CQ CQ CQ contest QSL via bureau"), true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^CQ CQ CQ CQ contest QSL  <W1AW^K1ABC^W1AW^H99^~"},
    {"PC11_HopsCutToTwoCharacters", Form::PC11, kSpot, true,
     "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq <W1AW^K1ABC^W1AW^H12^~", " <", "123"},

    {"ClusseCommand_Marked", Form::ClusseCommand, kSpot, true,
     "DX/K1ABC 14025.0 DL1XYZ cq cq <W1AW"},
    {"ClusseCommand_OwnMark_Refused", Form::ClusseCommand, WithComment("x <W1AW"), false, ""},
    {"ClusseCommand_EmptyCommentNoPrefix_Blank", Form::ClusseCommand, WithComment(""), true,
     "DX/K1ABC 14025.0 DL1XYZ  ", ""},

    {"DxCommand_Marked", Form::DxCommand, kSpot, true, "DX 14025.0 DL1XYZ cq cq <W1AW"},
    {"DxCommand_OwnMark_Refused", Form::DxCommand, WithComment("cq cq <W1AW"), false, ""},
    {"DxCommand_EmptyComment_MarkOnly", Form::DxCommand, WithComment(""), true,
     "DX 14025.0 DL1XYZ  <W1AW"},

    {"DxDe_Columns", Form::DxDe, kSpot, true,
     "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z"},
    {"DxDe_LongSpotterGivesWayToFrequency", Form::DxDe,
     SpotFields{"KH6ABC/W1AW-#", "10489540.00", "DL1XYZ", "QO-100", "1234"}, true,
     "DX de KH6ABC/10489540.00  DL1XYZ       QO-100                         1234Z"},
    // What the cut at the frequency leaves of a spotter this long is blanked.
    {"DxDe_SpotterPastTheFrequency_RestBlanked", Form::DxDe,
     SpotFields{"SKIMMER-NODE-EU-WEST-1", "7025.0", "DL1XYZ", "cq", "1234"}, true,
     "DX de SKIMMER-NODE7025.0  DL1XYZ       cq                             1234Z"},
    {"DxDe_EmptyCommentTimeWithZ", Form::DxDe,
     SpotFields{"K1ABC", "14025.0", "DL1XYZ", "", "1234Z"}, true,
     "DX de K1ABC:     14025.0  DL1XYZ                                      1234Z"},
    {"DxDe_LongCallAndComment_CutAtColumns39And70", Form::DxDe,
     SpotFields{"K1ABC", "14025.0", "VP2E/DL1XYZ/P", "CQ CQ CQ CQ contest QSL via bureau", "1234"},
     true, "DX de K1ABC:     14025.0  VP2E/DL1XYZ/PCQ CQ CQ CQ contest QSL via bur1234Z"},
    {"DxDe_OwnMark_NoLoopCheck", Form::DxDe, WithComment("cq <W1AW"), true,
     "DX de K1ABC:     14025.0  DL1XYZ       cq <W1AW                       1234Z"},

    {"Irc_Columns", Form::Irc, kSpot, true,
     "K1ABC        14025.0 DL1XYZ       cq cq                       1234"},
    {"Irc_LongSpotterCutTo12", Form::Irc,
     SpotFields{"KH6ABC/W1AW-#", "144300.0", "DL1XYZ", "tropo", "1234"}, true,
     "KH6ABC/W1AW-144300.0 DL1XYZ       tropo                       1234"},
    {"Irc_EmptyComment_NoZ", Form::Irc, SpotFields{"K1ABC", "14025.0", "DL1XYZ", "", "1234Z"}, true,
     "K1ABC        14025.0 DL1XYZ                                   1234"},
    {"Irc_OwnMark_NoLoopCheck", Form::Irc, WithComment("cq <W1AW"), true,
     "K1ABC        14025.0 DL1XYZ       cq <W1AW                    1234"},
};

INSTANTIATE_TEST_SUITE_P(Spots, SpotFormatterTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct DateRow {
    const char* name;
    CivilDate date;
    const char* text;
};

class SpotFormatterDateTest : public testing::TestWithParam<DateRow> {};

TEST_P(SpotFormatterDateTest, FormatPC11_DateDayMonthYear) {
    const DateRow& row = GetParam();
    const RouterOptions options = StationOptions();
    SettableClock clock;
    clock.date = row.date;
    CSpotFormatter formatter(options, clock);
    ASSERT_TRUE(formatter.FormatPC11(kSpot));
    EXPECT_EQ(formatter.Text(), row.text);
}

const DateRow kDateRows[] = {
    {"FirstOfJanuary",
     {2027, 1, 1},
     "PC11^14025.0^DL1XYZ^1-Jan-2027^1234Z^cq cq <W1AW^K1ABC^W1AW^H99^~"},
    {"EndOfOctober",
     {2026, 10, 31},
     "PC11^14025.0^DL1XYZ^31-Oct-2026^1234Z^cq cq <W1AW^K1ABC^W1AW^H99^~"},
    {"MidSeptember",
     {2026, 9, 15},
     "PC11^14025.0^DL1XYZ^15-Sep-2026^1234Z^cq cq <W1AW^K1ABC^W1AW^H99^~"},
};

INSTANTIATE_TEST_SUITE_P(Dates, SpotFormatterDateTest, testing::ValuesIn(kDateRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct SolarRow {
    const char* name;
    std::string line;
    bool formatted;
    std::string text;
};

class SpotFormatterSolarTest : public testing::TestWithParam<SolarRow> {};

TEST_P(SpotFormatterSolarTest, FormatSolarFrame_AnnouncementBecomesAr19) {
    const SolarRow& row = GetParam();
    const RouterOptions options = StationOptions();
    SettableClock clock;
    CSpotFormatter formatter(options, clock);
    EXPECT_EQ(formatter.FormatSolarFrame(row.line), row.formatted);
    EXPECT_EQ(formatter.Text(), row.text);
}

const SolarRow kSolarRows[] = {
    {"UpperCaseChannel", ":SolarMonitor!~sm@solar.example.org PRIVMSG #CQDX :SFI=150 A=5 K=2", true,
     "AR19^1^SolarMonitor^SOLAR^SFI=150 A=5 K=2^SOLAR.LST^W1AW^0^K^MA^H99^~"},
    {"LowerCaseChannel_ColourCodesRemoved",
     ":SolarMonitor!~sm@solar.example.org PRIVMSG #cqdx :\x03"
     "12 SFI=150 A=5 K=2 \x03"
     "4,1 Storm",
     true, "AR19^1^SolarMonitor^SOLAR^ SFI=150 A=5 K=2  Storm^SOLAR.LST^W1AW^0^K^MA^H99^~"},
    {"ColourCodeGluedToWord_WordRemoved",
     ":SolarMonitor!~sm@solar.example.org PRIVMSG #CQDX :\x03"
     "4Storm K=6",
     true, "AR19^1^SolarMonitor^SOLAR^ K=6^SOLAR.LST^W1AW^0^K^MA^H99^~"},
    {"OtherSender", ":K1ABC!~k1abc@irc.example.net PRIVMSG #CQDX :SFI=150", false, ""},
    {"SenderNamedOnlyInText",
     ":K1ABC!~k1abc@irc.example.net PRIVMSG #CQDX ::SolarMonitor! says SFI=150", false, ""},
    {"OtherChannel", ":SolarMonitor!~sm@solar.example.org PRIVMSG #dx :SFI=150", false, ""},
    {"NoTextColon", ":SolarMonitor!~sm@solar.example.org PRIVMSG #CQDX SFI=150", false, ""},
};

INSTANTIATE_TEST_SUITE_P(IrcLines, SpotFormatterSolarTest, testing::ValuesIn(kSolarRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpotFormatterTest, Options_ChangedAfterConstruction_Apply) {
    RouterOptions options = StationOptions();
    SettableClock clock;
    CSpotFormatter formatter(options, clock);
    options.MyCall = "K2XX";
    options.AntiLoopPrefix = "  <";
    ASSERT_TRUE(formatter.FormatDxCommand(kSpot));
    EXPECT_EQ(formatter.Text(), "DX 14025.0 DL1XYZ cq cq  <K2XX");
    EXPECT_FALSE(formatter.FormatDxCommand(WithComment("cq  <K2XX")));
    EXPECT_EQ(formatter.Text(), "");
}

} // namespace
