#include "filters/BandTable.h"
#include "filters/CallPattern.h"
#include "filters/ModeTable.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(BandTableTest, NamesAreFoundInEitherCaseAndBadFrequenciesRefused) {
    EXPECT_EQ(CBandTable::Find("70CM"), CBandTable::Find("70cm"));
    EXPECT_EQ(CBandTable::Find("OTHER"), CBandTable::Other);
    EXPECT_EQ(CBandTable::Find("61m"), -1);
    EXPECT_EQ(CBandTable::Spoken(CBandTable::Find("70cm")), "70 cm");
    double kHz = 0;
    EXPECT_FALSE(CBandTable::ParseKhz("14025.0x", kHz));
    EXPECT_FALSE(CBandTable::ParseKhz("", kHz));
}

TEST(BandTableTest, ParseKhzReadsEveryTextAsTheGeneralReadingDoes) {
    for (const std::string_view text :
         {"14025.0", "0.1", "1799.9", "10150.1", "24890.123", "144300.000", ".5", "7.", ".", "-1.0",
          "1.0.0", "123456789012345", "1234567890123456.5", "0.30000000000000004", "1e4"}) {
        double expected = 0;
        const char* end = text.data() + text.size();
        const auto [ptr, ec] =
            std::from_chars(text.data(), end, expected, std::chars_format::fixed);
        double kHz = 0;
        ASSERT_EQ(CBandTable::ParseKhz(text, kHz), ec == std::errc() && ptr == end) << text;
        if (ec == std::errc() && ptr == end) {
            EXPECT_EQ(kHz, expected) << text;
        }
    }
}

// The integer reading must agree with the general one at every band edge,
// a Hz either side, and in every odd form.
TEST(BandTableTest, BandOfTextGivesWhatParseKhzAndBandOfGive) {
    std::vector<std::string> texts = {"14025.0",
                                      "7.",
                                      ".5",
                                      ".",
                                      "",
                                      "-1.0",
                                      "1e4",
                                      "1.0.0",
                                      "14025.0x",
                                      "14025.0001",
                                      "999999999999999",
                                      "1234567890123.5",
                                      "00135.700",
                                      ".500",
                                      "7074.",
                                      "99999999",
                                      "12.3456",
                                      "+100.0",
                                      "14 25.0",
                                      "1/25.0",
                                      "12:4.0",
                                      "14025.0\xb1",
                                      "\xb1"
                                      "4025.0"};
    for (int band = 0; band < CBandTable::Other; ++band) {
        for (const double edge : {CBandTable::LowEdge(band), CBandTable::HighEdge(band)}) {
            const long long hz = std::llround(edge * 1000.0);
            for (const long long at : {hz - 1, hz, hz + 1}) {
                texts.push_back(std::to_string(at / 1000) + "." +
                                std::to_string(at % 1000 + 1000).substr(1));
                texts.push_back(std::to_string(at / 1000) + "." + std::to_string(at % 1000 / 100));
                texts.push_back(std::to_string(at / 1000));
            }
        }
    }
    for (const std::string& text : texts) {
        double expected = -1.0;
        if (!CBandTable::ParseKhz(text, expected)) {
            expected = -1.0;
        }
        double kHz = 0;
        EXPECT_EQ(CBandTable::BandOfText(text, kHz), CBandTable::BandOf(expected)) << text;
        EXPECT_EQ(kHz, expected) << text;
    }
}

struct ModeRow {
    const char* name;
    const char* comment;
    double kHz;
    int mode;
};

class ModeTableRows : public testing::TestWithParam<ModeRow> {};

TEST_P(ModeTableRows, ModeOfSpot) {
    EXPECT_EQ(CModeTable::ModeOf(GetParam().comment, GetParam().kHz), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    WordsThenSegments, ModeTableRows,
    testing::Values(ModeRow{"SkimmerCw", "CW 24 dB 28 WPM CQ", 14074.0, CModeTable::Cw},
                    ModeRow{"Ft8WordOnCwSegment", "FT8 -12dB", 14025.0, CModeTable::Digi},
                    ModeRow{"Psk31LowerCase", "psk31 cq", 14070.0, CModeTable::Digi},
                    ModeRow{"UsbWord", "tnx QSO usb", 7010.0, CModeTable::Ssb},
                    ModeRow{"WordInsideAnotherIsNoWord", "CWOPS member", 14200.0, CModeTable::Ssb},
                    ModeRow{"CwSegmentTop", "", 14069.9, CModeTable::Cw},
                    ModeRow{"DigiSegmentLow", "", 14070.0, CModeTable::Digi},
                    ModeRow{"SsbSegmentLow", "tnx", 14100.0, CModeTable::Ssb},
                    ModeRow{"Ft8Window40m", "", 7074.0, CModeTable::Digi},
                    ModeRow{"OutsideEveryBand", "", 10200.0, CModeTable::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

// Both tables at the edges of the bands: a frequency has a mode exactly when
// it has a band.
struct EdgeRow {
    const char* name;
    const char* frequency;
    const char* band;
    const char* mode;
};

class BandAndModeEdges : public testing::TestWithParam<EdgeRow> {};

TEST_P(BandAndModeEdges, AgreeAtEveryEdge) {
    double kHz = 0;
    ASSERT_TRUE(CBandTable::ParseKhz(GetParam().frequency, kHz));
    EXPECT_EQ(CBandTable::Name(CBandTable::BandOf(kHz)), GetParam().band);
    EXPECT_EQ(CModeTable::Name(CModeTable::ModeOfSegment(kHz)), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, BandAndModeEdges,
    testing::Values(
        EdgeRow{"Below2200m", "135.6", "other", ""}, EdgeRow{"Low2200m", "135.7", "2200m", "CW"},
        EdgeRow{"High2200m", "137.8", "2200m", "CW"}, EdgeRow{"Below160m", "1799.9", "other", ""},
        EdgeRow{"Low160m", "1800.0", "160m", "CW"}, EdgeRow{"High160m", "2000.0", "160m", "SSB"},
        EdgeRow{"Above160m", "2000.1", "other", ""}, EdgeRow{"Low60m", "5060.0", "60m", "CW"},
        EdgeRow{"High30m", "10150.0", "30m", "DIGI"}, EdgeRow{"Above30m", "10150.1", "other", ""},
        EdgeRow{"Below20m", "13999.9", "other", ""}, EdgeRow{"Low20m", "14000.0", "20m", "CW"},
        EdgeRow{"High20m", "14350.0", "20m", "SSB"}, EdgeRow{"Above20m", "14350.1", "other", ""},
        EdgeRow{"High15m", "21450.0", "15m", "SSB"}, EdgeRow{"Above15m", "21450.1", "other", ""},
        EdgeRow{"Low6m", "50000.0", "6m", "CW"}, EdgeRow{"Low70cm", "420000.0", "70cm", "SSB"},
        EdgeRow{"High23cm", "1300000.0", "23cm", "SSB"},
        EdgeRow{"Above23cm", "2320000.0", "other", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BandAndModeTest, EveryBandHasAModeFromEdgeToEdgeAndNoneJustOutside) {
    for (int band = 0; band < CBandTable::Other; ++band) {
        const double low = CBandTable::LowEdge(band);
        const double high = CBandTable::HighEdge(band);
        EXPECT_NE(CModeTable::ModeOfSegment(low), CModeTable::Unknown) << CBandTable::Name(band);
        EXPECT_NE(CModeTable::ModeOfSegment(high), CModeTable::Unknown) << CBandTable::Name(band);
        EXPECT_EQ(CModeTable::ModeOfSegment(low - 0.1), CModeTable::Unknown)
            << CBandTable::Name(band);
        EXPECT_EQ(CModeTable::ModeOfSegment(high + 0.1), CModeTable::Unknown)
            << CBandTable::Name(band);
    }
}

struct PatternRow {
    const char* name;
    const char* pattern;
    const char* call;
    bool matches;
};

class CallPatternRows : public testing::TestWithParam<PatternRow> {};

TEST_P(CallPatternRows, MatchesAsTextAndMadeReady) {
    EXPECT_EQ(CCallPattern::Matches(GetParam().pattern, GetParam().call), GetParam().matches);
    EXPECT_EQ(CCallPattern(GetParam().pattern).Matches(GetParam().call), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(ShellStyle, CallPatternRows,
                         testing::Values(PatternRow{"Exact", "K1ABC", "K1ABC", true},
                                         PatternRow{"ExactIsWhole", "K1ABC", "K1ABCD", false},
                                         PatternRow{"LowerCasePattern", "vk9*", "VK9XX", true},
                                         PatternRow{"StarLed", "*/MM", "G4ABC/MM", true},
                                         PatternRow{"StarLedNoMatch", "*/MM", "G4ABC/M", false},
                                         PatternRow{"StarEmpty", "VK9*", "VK9", true},
                                         PatternRow{"Question", "K?ABC", "K1ABC", true},
                                         PatternRow{"QuestionIsOne", "K?ABC", "KABC", false},
                                         PatternRow{"TwoStarsBackTrack", "*A*C", "K1ABXC", true},
                                         PatternRow{"Inside", "*/*", "EA8/DL1ABC", true},
                                         PatternRow{"InsideNotAtEnd", "*/*", "DL1ABC/", true},
                                         PatternRow{"InsideMissing", "*/*", "DL1ABC", false},
                                         PatternRow{"PrefixLongerThanCall", "VK9X*", "VK9", false},
                                         PatternRow{"SuffixWithQuestion", "*/?", "K1ABC/p", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
