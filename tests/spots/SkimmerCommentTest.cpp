#include "spots/SkimmerComment.h"
#include "spots/SpotParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommentRow {
    const char* name;
    std::string line; // a wire line; node frames start with "PC"
    bool skimmer;
    bool read;
    const char* mode;
    int strength;
    int speed;
    const char* unit;
    const char* type;
};

class SkimmerCommentTest : public testing::TestWithParam<CommentRow> {};

TEST_P(SkimmerCommentTest, ReadsModeStrengthSpeedAndType) {
    const CommentRow& row = GetParam();
    RouterOptions options;
    CSpotParser parser(options);
    SpotFields spot;
    const bool parsed = row.line.starts_with("PC") ? parser.ParseNodeSpot(row.line, spot)
                                                   : parser.ParseUserSpot(row.line, spot);
    ASSERT_TRUE(parsed);
    const std::string comment(spot.Comment);
    EXPECT_EQ(IsSkimmerSpot(spot), row.skimmer);

    SkimmerComment fields;
    ASSERT_EQ(ParseSkimmerComment(spot.Comment, fields), row.read);
    EXPECT_EQ(spot.Comment, comment);
    if (!row.read) {
        return;
    }
    EXPECT_EQ(fields.Mode, row.mode);
    EXPECT_EQ(fields.Strength, row.strength);
    EXPECT_EQ(fields.Speed, row.speed);
    EXPECT_EQ(fields.SpeedUnit, row.unit);
    EXPECT_EQ(SkimmerTypeText(fields.Type), row.type);
}

const CommentRow kRows[] = {
    {"CwCq", "DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z", true,
     true, "CW", 24, 22, "WPM", "CQ"},
    {"Ft8WithLocator",
     "DX de W3OA-#:     14074.0  JA1XYZ       FT8   -12 dB  CQ             2259Z PM95", true, true,
     "FT8", -12, 0, "", "CQ"},
    {"RttyBps", "DX de DK9IP-#:    14085.5  OH2XYZ       RTTY  15 dB  45 BPS  CQ     2300Z", true,
     true, "RTTY", 15, 45, "BPS", "CQ"},
    {"NcdxfBeacon", "DX de OH6BG-#:    14100.0  4U1UN        CW    19 dB  22 WPM  NCDXF B 2300Z",
     true, true, "CW", 19, 22, "WPM", "NCDXF B"},
    {"BeaconStrengthJoined",
     "DX de G4ZFE-#:    28205.0  DK0WCY       CW 7dB 25 WPM BEACON    2300Z", true, true, "CW", 7,
     25, "WPM", "BEACON"},
    {"UnknownWordsPassedOver", "DX de VE2WU-#:     7074.0  PY2XYZ       FT4 3 dB 1234 Hz DX 2301Z",
     true, true, "FT4", 3, 0, "", "DX"},
    {"Pc11", "PC11^14025.2^K1ABC^8-Dec-2026^2259Z^CW 24 dB 22 WPM CQ^KM3T-#^NODE1^H99^~", true,
     true, "CW", 24, 22, "WPM", "CQ"},
    {"Pc61", "PC61^7025.1^DL1XYZ^8-Dec-2026^2259Z^CW 11 dB 30 WPM DX^W3LPL-#^NODE1^192.0.2.1^H30^~",
     true, true, "CW", 11, 30, "WPM", "DX"},
    {"HumanComment", "DX de K1ABC:     14025.0  DL1XYZ       up 2 tnx qso                   1234Z",
     false, false, "", 0, 0, "", ""},
    {"NoMode", "DX de KM3T-#:     14025.2  K1ABC        24 dB  22 WPM  CQ            2259Z", true,
     false, "", 0, 0, "", ""},
    {"AbsurdStrength", "DX de KM3T-#:     14025.2  K1ABC        CW  500 dB  22 WPM  CQ      2259Z",
     true, false, "", 0, 0, "", ""},
    {"NoStrength", "DX de KM3T-#:     14025.2  K1ABC        CW    22 WPM  CQ            2259Z",
     true, false, "", 0, 0, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Lines, SkimmerCommentTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

TEST(SkimmerSpotTest, StrippedMarkStillMakesASkimmer) {
    RouterOptions options;
    options.StripAtPoundOption = 1;
    CSpotParser parser(options);
    SpotFields spot;
    ASSERT_TRUE(parser.ParseUserSpot(
        "DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z", spot));
    EXPECT_EQ(spot.Spotter, "KM3T");
    EXPECT_TRUE(IsSkimmerSpot(spot));
}

} // namespace
