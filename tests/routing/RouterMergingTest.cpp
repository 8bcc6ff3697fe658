#include "routing/Router.h"

#include "RouterRig.h"
#include "filters/CountryText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

// Six skimmers hearing K1ABC call CQ, one a second.
const std::vector<std::string> kSixSkimmers = {
    "DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z",
    "DX de W3LPL-#:    14025.3  K1ABC        CW    18 dB  22 WPM  CQ      2259Z",
    "DX de VE2WU-#:    14025.1  K1ABC        CW    12 dB  21 WPM  CQ      2259Z",
    "DX de DK9IP-#:    14025.2  K1ABC        CW     9 dB  22 WPM  CQ      2300Z",
    "DX de OH6BG-#:    14025.4  K1ABC        CW     6 dB  22 WPM  CQ      2300Z",
    "DX de G4ZFE-#:    14025.2  K1ABC        CW    15 dB  22 WPM  CQ      2300Z",
};

const std::string kSixCounts = "spots passed 2, filtered 0, dupes dropped 0 | skimmer reports 6, "
                               "merged 1, held back 0, busted 0, re-spots 0, reduction 6.0:1";

struct MergeRow {
    const char* name;
    const char* destination;
    std::vector<std::string> filter;
    std::string written; // after the dwell
    std::string counts;
    std::string countryFile = "";
};

class RouterMerging : public testing::TestWithParam<MergeRow> {};

// A human spot among the reports passes at once; the reports wait out the
// dwell (10 s from the first) and leave as one spot through the
// destination's own format and dupe table.
TEST_P(RouterMerging, SkimmerReports_OneSpotAfterTheDwellHumanSpotAtOnce) {
    const MergeRow& row = GetParam();
    Rig r("Cluster User", row.destination);
    r.dstRouter.SetFilter(row.countryFile, row.filter);
    r.dstRouter.SetSkimmerMerge(std::string("10,0.5,2,3,hold"));
    for (const std::string& line : kSixSkimmers) {
        r.Feed(line);
        r.host.clock.seconds += 1;
        r.dst.OnTimer();
    }
    r.Feed(UserSpot);
    const std::string human = r.dst.written;
    EXPECT_NE(human, "");
    r.host.clock.seconds += 3;
    r.dst.OnTimer();
    EXPECT_EQ(r.dst.written, human);
    r.host.clock.seconds += 1;
    r.dst.OnTimer();
    EXPECT_EQ(r.dst.written.substr(human.size()), row.written);
    EXPECT_EQ(r.dstRouter.CountsText() + " | " + r.dstRouter.MergeCountsText(), row.counts);
}

INSTANTIATE_TEST_SUITE_P(
    Router, RouterMerging,
    testing::Values(
        MergeRow{"CtUser",
                 "CT User",
                 {},
                 "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:6         2300Z\r\n",
                 kSixCounts},
        MergeRow{"ClusterUser",
                 "Cluster User",
                 {},
                 "DX/KM3T-# 14025.2 K1ABC CW 24 dB 22 WPM CQ Q:6  <G4AAA\r\n",
                 kSixCounts},
        // Of the other five skimmers, the file places W3LPL (5) and DK9IP (14).
        MergeRow{"CountryFileGivesZones",
                 "CT User",
                 {},
                 "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:6 Z:5,14  2300Z\r\n",
                 kSixCounts,
                 countrytext::CountryFilePath()},
        // OH6BG's 14025.4 left out: the median stays, the count drops.
        MergeRow{"FilteredReportNeitherCountsNorWaits",
                 "CT User",
                 {"reject spotter=OH6BG"},
                 "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:5         2300Z\r\n",
                 "spots passed 2, filtered 1, dupes dropped 0 | skimmer reports 5, merged 1, "
                 "held back 0, busted 0, re-spots 0, reduction 5.0:1"}),
    [](const testing::TestParamInfo<MergeRow>& info) { return std::string(info.param.name); });

// A node link relays skimmer reports as PC11 and PC61 frames; their "-#"
// spotters make them reports like the "DX de" lines of a skimmer feed.
TEST(RouterTest, NodeFramesOfSkimmers_MergedLikeSkimmerLines) {
    Rig r("Cluster Node", "CT User");
    r.dstRouter.SetSkimmerMerge(std::string("10,0.5,2,3,hold"));
    for (const std::string frame :
         {"PC61^14025.2^K1ABC^8-Dec-2026^2259Z^CW 24 dB 22 WPM CQ^KM3T-#^NODE1^192.0.2.1^H29^~",
          "PC11^14025.3^K1ABC^8-Dec-2026^2259Z^CW 18 dB 22 WPM CQ^W3LPL-#^NODE1^H29^~",
          "PC11^14025.1^K1ABC^8-Dec-2026^2300Z^CW 12 dB 21 WPM CQ^VE2WU-#^NODE1^H29^~"}) {
        r.Feed(frame);
        r.host.clock.seconds += 1;
        r.dst.OnTimer();
    }
    EXPECT_EQ(r.dst.written, "");
    r.host.clock.seconds += 8;
    r.dst.OnTimer();
    EXPECT_EQ(r.dst.written,
              "DX de KM3T-#:    14025.2  K1ABC        CW 24 dB 22 WPM CQ Q:3         2300Z\r\n");
    EXPECT_EQ(r.dstRouter.MergeCountsText(), "skimmer reports 3, merged 1, held back 0, busted 0, "
                                             "re-spots 0, reduction 3.0:1");
}

TEST(RouterTest, SkimmerMergeKey_SavedOnlyWhenSetAndAfterTheFilterLines) {
    FakePortHost host;
    FakePort& port = host.AddPort("LOG");
    const std::string plain = "InputType=5\nDupeLength=4\nCRLFOption=3\nBlockDashAtOption=0\n"
                              "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";
    const std::string filtered = plain + "Filter=reject mode=DIGI\n";
    for (const std::string& text : {plain, filtered, filtered + "SkimmerMerge=5,0.25,1,10,mark\n",
                                    plain + "SkimmerMerge=10,0.5,2,3,hold\n"}) {
        std::vector<std::string> lines = Lines(text);
        lines.erase(lines.begin());
        lines.emplace_back("PortType=FILE");
        CSetupFile setup(lines, host.ui);
        const auto loaded = Load(DataTypeCode::CTUser, setup, port);
        EXPECT_EQ(Saved(*loaded), text);
        EXPECT_EQ(loaded->Merger() != nullptr, text.find("SkimmerMerge=") != std::string::npos);
        EXPECT_TRUE(setup.IsNextKey("PortType"));
    }
    EXPECT_EQ(host.ViewOf(0).Text(), "");
}

TEST(RouterTest, SkimmerMergeKey_OutOfRangeClampedMalformedRefusedNamingTheLine) {
    FakePortHost host;
    FakePort& port = host.AddPort("LOG");
    const std::vector<std::string> lines = {"DupeLength=0", "SkimmerMerge=99,0.5,2,3,hold",
                                            "PortType=FILE"};
    CSetupFile setup(lines, host.ui);
    const auto clamped = Load(DataTypeCode::CTUser, setup, port);
    ASSERT_NE(clamped->Merger(), nullptr);
    EXPECT_EQ(clamped->Merger()->Settings().dwellSeconds, 60);
    const std::vector<std::string> broken = {"DupeLength=0", "SkimmerMerge=10,wide,2,3,hold",
                                             "PortType=FILE"};
    CSetupFile brokenSetup(broken, host.ui);
    const auto refused = Load(DataTypeCode::CTUser, brokenSetup, port);
    EXPECT_EQ(refused->Merger(), nullptr);
    EXPECT_EQ(host.ViewOf(0).Text(),
              "LOG: SkimmerMerge on line 2: dwell 99 is out of range, using 60\n"
              "LOG: SkimmerMerge on line 2 dropped, window kHz not a number: 10,wide,2,3,hold\n");
}

TEST(RouterTest, UnreadableCountryFile_MergesWithoutZonesSaysItOnce) {
    FakePortHost host;
    FakePort& port = host.AddPort("LOG");
    const std::vector<std::string> lines = {"DupeLength=0", "CountryFile=/nonexistent/cty.dat",
                                            "SkimmerMerge=10,0.5,2,3,hold", "PortType=FILE"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::CTUser, setup, port);
    ASSERT_NE(loaded->Merger(), nullptr);
    loaded->SetSkimmerMerge(std::string("10,0.5,3,3,hold"));
    EXPECT_EQ(host.ViewOf(0).Text(), "LOG: Skimmer merging shows no zones, /nonexistent/cty.dat: "
                                     "No such file or directory\n");
}

} // namespace
