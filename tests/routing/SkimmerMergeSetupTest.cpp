#include "routing/SkimmerMergeSetup.h"
#include "setup/SetupFile.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseRow {
    const char* name;
    const char* text;
    const char* saved; // empty: refused
    const char* message;
};

class SkimmerMergeParseTest : public testing::TestWithParam<ParseRow> {};

TEST_P(SkimmerMergeParseTest, ClampsOrRefusesNamingTheLine) {
    const ParseRow& row = GetParam();
    std::vector<std::string> reports;
    const auto settings = CSkimmerMergeSetup::Parse(
        row.text, " on line 7", [&](std::string_view text) { reports.emplace_back(text); });
    EXPECT_EQ(settings ? CSkimmerMergeSetup::Format(*settings) : "", row.saved);
    EXPECT_EQ(reports.empty() ? "" : reports.back(), std::string(row.message));
}

const ParseRow kParseRows[] = {
    {"Defaults", "10,0.5,2,3,hold", "10,0.5,2,3,hold", ""},
    {"ContestMark", "8,0.25,3,10,mark", "8,0.25,3,10,mark", ""},
    {"BlanksAndCase", " 15 , 1.0 , 1 , 5 , HOLD", "15,1,1,5,hold", ""},
    {"DwellTooLong", "500,0.5,2,3,hold", "60,0.5,2,3,hold",
     "SkimmerMerge on line 7: dwell 500 is out of range, using 60"},
    {"WindowTooNarrow", "10,0.05,2,3,hold", "10,0.1,2,3,hold",
     "SkimmerMerge on line 7: window 0.05 is out of range, using 0.1"},
    {"MinimumZero", "10,0.5,0,3,hold", "10,0.5,1,3,hold",
     "SkimmerMerge on line 7: minimum 0 is out of range, using 1"},
    {"FourValues", "10,0.5,2,3", "",
     "SkimmerMerge on line 7 dropped, five values expected: 10,0.5,2,3"},
    {"WindowNotANumber", "10,-0.5,2,3,hold", "",
     "SkimmerMerge on line 7 dropped, window kHz not a number: 10,-0.5,2,3,hold"},
    {"ThreeDecimals", "10,0.125,2,3,hold", "",
     "SkimmerMerge on line 7 dropped, window kHz not a number: 10,0.125,2,3,hold"},
    {"UnknownBustedChoice", "10,0.5,2,3,drop", "",
     "SkimmerMerge on line 7 dropped, hold or mark expected: 10,0.5,2,3,drop"},
};

INSTANTIATE_TEST_SUITE_P(Rows, SkimmerMergeParseTest, testing::ValuesIn(kParseRows),
                         [](const auto& info) { return info.param.name; });

TEST(SkimmerMergeSetupTest, KeyReadWhenPresentAndWrittenBackByteForByte) {
    RecordingUi ui;
    const std::vector<std::string> lines = {"Filter=accept band=20m",
                                            "SkimmerMerge=8,0.25,3,10,mark", "PortType=TEL"};
    CSetupFile setup(lines, ui);
    setup.GetString("Filter");
    const auto none = [](std::string_view) { FAIL(); };
    const auto settings = CSkimmerMergeSetup::Read(setup, none);
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->dwellSeconds, 8);
    EXPECT_EQ(settings->windowHundredths, 25);
    EXPECT_TRUE(settings->markBusted);
    // Absent: nothing read, nothing written.
    EXPECT_FALSE(CSkimmerMergeSetup::Read(setup, none).has_value());
    EXPECT_EQ(setup.GetString("PortType"), "TEL");
    EXPECT_TRUE(ui.messages.empty());

    std::string written;
    CSetupFile writer([&](std::string_view line) { written += line; });
    CSkimmerMergeSetup::Write(writer, settings);
    CSkimmerMergeSetup::Write(writer, std::nullopt);
    EXPECT_EQ(written, "SkimmerMerge=8,0.25,3,10,mark\n");
}

} // namespace
