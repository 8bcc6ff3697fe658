#include "routing/SkimmerMerger.h"
#include "spots/SpotFormatter.h"
#include "spots/SpotParser.h"
#include "support/SettableClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Six skimmers hearing K1ABC call CQ, strongest first.
const std::vector<std::string> kSix = {
    "DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z",
    "DX de W3LPL-#:    14025.3  K1ABC        CW    18 dB  22 WPM  CQ      2259Z",
    "DX de VE2WU-#:    14025.1  K1ABC        CW    12 dB  21 WPM  CQ      2259Z",
    "DX de DK9IP-#:    14025.2  K1ABC        CW     9 dB  22 WPM  CQ      2300Z",
    "DX de OH6BG-#:    14025.4  K1ABC        CW     6 dB  22 WPM  CQ      2300Z",
    "DX de G4ZFE-#:    14025.2  K1ABC        CW    15 dB  22 WPM  CQ      2300Z",
};
const std::vector<std::string> kThreeMore = {
    "DX de N6TV-#:     14025.2  K1ABC        CW    11 dB  22 WPM  CQ      2300Z",
    "DX de W1NT-#:     14025.2  K1ABC        CW    10 dB  22 WPM  CQ      2300Z",
    "DX de AC0C-#:     14025.3  K1ABC        CW     8 dB  22 WPM  CQ      2300Z",
};

class SkimmerMergerTest : public testing::Test {
  protected:
    SkimmerMergerTest() {
        merger.SetZoneLookup([](std::string_view call) {
            return call.starts_with("DK") || call.starts_with("G4") ? 14
                   : call.starts_with("OH")                         ? 15
                                                                    : 5;
        });
    }

    void Report(const std::string& line) {
        ASSERT_TRUE(parser.ParseUserSpot(line, spot)) << line;
        merger.Offer(spot);
    }
    // One line a second.
    void ReportEach(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            Report(line);
            ++clock.seconds;
        }
    }
    void TickAt(std::int64_t second) {
        clock.seconds = start + second;
        merger.Tick();
    }
    void Settle(SkimmerMergeSettings settings) { merger.SetSettings(settings); }

    SettableClock clock;
    const std::int64_t start = clock.seconds;
    RouterOptions options;
    CSpotParser parser{options};
    CSpotFormatter formatter{options, clock};
    SpotFields spot;
    std::vector<std::string> out;
    std::vector<std::string> messages;
    CSkimmerMerger merger{clock,
                          [this](const SpotFields& merged) {
                              formatter.FormatDxDe(merged);
                              out.emplace_back(formatter.Text());
                          },
                          [this](std::string_view text) { messages.emplace_back(text); }};
};

TEST_F(SkimmerMergerTest, SixSkimmers_OneQ6SpotAfterTheDwell) {
    ReportEach(kSix);
    TickAt(9);
    EXPECT_TRUE(out.empty());
    TickAt(10);
    // The median of 14025.1 to 14025.4; zones 5 and 14 fit the comment's 30
    // characters, 15 does not.
    EXPECT_EQ(out,
              std::vector<std::string>{
                  "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:6 Z:5,14  2300Z"});
    EXPECT_EQ(merger.CountsText(),
              "skimmer reports 6, merged 1, held back 0, busted 0, re-spots 0, reduction 6.0:1");
}

TEST_F(SkimmerMergerTest, NineSkimmers_OutAtOnceWithoutZonesLookUp) {
    merger.SetZoneLookup({});
    for (const auto& line : kSix) {
        Report(line);
    }
    Report(kThreeMore[0]);
    Report(kThreeMore[1]);
    EXPECT_TRUE(out.empty());
    Report(kThreeMore[2]);
    EXPECT_EQ(out,
              std::vector<std::string>{
                  "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:9         2300Z"});
}

TEST_F(SkimmerMergerTest, OneReport_HeldBackAfterLimbo_OrSentWithMinimumOne) {
    Report(kSix[3]);
    TickAt(299);
    EXPECT_EQ(merger.Counts().heldBack, 0u);
    EXPECT_EQ(merger.CandidateCount(), 1u);
    TickAt(300);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(merger.Counts().heldBack, 1u);
    EXPECT_EQ(merger.CandidateCount(), 0u);

    SkimmerMergeSettings settings;
    settings.minimumSkimmers = 1;
    Settle(settings);
    Report(kSix[3]);
    TickAt(310);
    EXPECT_EQ(out,
              std::vector<std::string>{
                  "DX de DK9IP-#:   14025.2  K1ABC        CW 9 dB 22 WPM CQ Q:1          2300Z"});
}

TEST_F(SkimmerMergerTest, SecondSkimmerInLimbo_SpotLeavesAtOnce) {
    Report(kSix[0]);
    TickAt(60);
    Report(kSix[1]);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0],
              "DX de KM3T-#:    14025.3  K1ABC        CW 24 dB 22 WPM CQ Q:2 Z:5     2259Z");
}

TEST_F(SkimmerMergerTest, StillReported_RespotOnlyAfterThreeMinutes) {
    ReportEach(kSix);
    TickAt(10);
    ASSERT_EQ(out.size(), 1u);
    TickAt(60);
    Report(kSix[1]);
    TickAt(120);
    Report(kSix[2]);
    TickAt(189);
    Report(kSix[3]);
    EXPECT_EQ(out.size(), 1u);
    TickAt(190);
    Report(kSix[4]);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1],
              "DX de W3LPL-#:   14025.3  K1ABC        CW 18 dB 22 WPM CQ Q:4 Z:5,14  2300Z");
    EXPECT_EQ(merger.Counts().respots, 1u);
    // Reports keep it alive past the limbo time; silence then forgets it.
    TickAt(489);
    EXPECT_EQ(merger.CandidateCount(), 1u);
    TickAt(490);
    EXPECT_EQ(merger.CandidateCount(), 0u);
}

TEST_F(SkimmerMergerTest, ReportedAwayFromItsLastSpot_NewSpotMarkedQsy) {
    ReportEach({kSix[0], kSix[1]});
    TickAt(10);
    TickAt(40);
    ReportEach({"DX de KM3T-#:     14031.0  K1ABC        CW    20 dB  22 WPM  CQ      2301Z",
                "DX de W3LPL-#:    14030.9  K1ABC        CW     8 dB  22 WPM  CQ      2301Z"});
    TickAt(50);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1],
              "DX de KM3T-#:    14031.0  K1ABC        CW 20 dB 22 WPM CQ Q:2 QSY Z:5 2301Z");
}

class BustedCallTest : public SkimmerMergerTest, public testing::WithParamInterface<bool> {};

TEST_P(BustedCallTest, OneSkimmerOneLetterOff_HeldBackOrMarked) {
    SkimmerMergeSettings settings;
    settings.markBusted = GetParam();
    Settle(settings);
    ReportEach({kSix[0], kSix[1],
                "DX de VE2WU-#:    14025.4  K1ABD        CW    12 dB  21 WPM  CQ      2259Z",
                "DX de DK9IP-#:    14025.1  K1AB         CW    12 dB  21 WPM  CQ      2259Z",
                "DX de OH6BG-#:    14025.2  K1ACB        CW    12 dB  21 WPM  CQ      2259Z"});
    TickAt(20);
    std::vector<std::string> expected = {
        "DX de KM3T-#:    14025.3  K1ABC        CW 24 dB 22 WPM CQ Q:2 Z:5     2259Z"};
    if (GetParam()) {
        expected.push_back(
            "DX de VE2WU-#:   14025.4  K1ABD        CW 12 dB 21 WPM CQ Q:1 B       2259Z");
        expected.push_back(
            "DX de DK9IP-#:   14025.1  K1AB         CW 12 dB 21 WPM CQ Q:1 B       2259Z");
    }
    EXPECT_EQ(out, expected);
    EXPECT_EQ(merger.Counts().busted, 2u);
    // Two letters swapped are two changes: only too few skimmers.
    TickAt(304);
    EXPECT_EQ(merger.Counts().heldBack, 1u);
}

INSTANTIATE_TEST_SUITE_P(HoldOrMark, BustedCallTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Mark" : "Hold"; });

TEST_F(SkimmerMergerTest, HumanAndUnreadableSpots_PassAtOnceUnchanged) {
    const std::vector<std::string> lines = {
        "DX de K1ABC:      14025.0  DL1XYZ       up 2 tnx qso                   1234Z",
        "DX de KM3T-#:     14025.2  K1ABC        CQ CQ TEST                     2259Z",
        "DX de KM3T-#:     14025.2  K1ABC        CW   800 dB  22 WPM  CQ        2259Z",
        "DX de KM3T-#:     140.25.2  K1ABC       CW    24 dB  22 WPM  CQ        2259Z",
    };
    for (const std::string& line : lines) {
        Report(line);
    }
    ASSERT_EQ(out.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(parser.ParseUserSpot(lines[i], spot));
        formatter.FormatDxDe(spot);
        EXPECT_EQ(out[i], formatter.Text());
    }
    EXPECT_EQ(merger.Counts().unmerged, 3u);
    EXPECT_EQ(merger.Counts().reportsIn, 0u);
    EXPECT_EQ(merger.ReductionText(), "-");
}

TEST_F(SkimmerMergerTest, MillionDistinctCallsInAMinute_HitTheCapNotTheMemory) {
    std::string call = "AA0AAA";
    SpotFields report{"KM3T-#", "14025.2", call, "CW 24 dB 22 WPM CQ", "2259"};
    for (int i = 0; i < 1'000'000; ++i) {
        for (std::size_t c = call.size(); c-- > 0;) {
            const char wrap = c == 2 ? '9' : 'Z';
            if (call[c] != wrap) {
                ++call[c];
                break;
            }
            call[c] = c == 2 ? '0' : 'A';
        }
        report.DxCall = call;
        clock.seconds = start + i / 16'667;
        merger.Offer(report);
    }
    EXPECT_EQ(merger.CandidateCount(), 100'000u);
    EXPECT_EQ(merger.Counts().tableDrops, 900'000u);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0],
              "Skimmer merging: more than 100000 stations at once, dropped the oldest 1");
    TickAt(400);
    EXPECT_EQ(merger.CandidateCount(), 0u);
    EXPECT_EQ(merger.Counts().heldBack, 100'000u);
}

} // namespace
