#include "filters/SpotFilter.h"

#include "CountryText.h"
#include "RouterRig.h"
#include "ScratchFolder.h"

#include "filters/BandTable.h"
#include "filters/CallPattern.h"
#include "filters/CountryFile.h"
#include "filters/FilterFacts.h"
#include "filters/FilterRuleParser.h"
#include "filters/ModeTable.h"
#include "spots/SpotFacts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace rig;

struct PassRow {
    const char* name;
    const char* spotter;
    const char* frequency;
    const char* comment;
    std::vector<std::string> rules;
    bool passes;
    // What a reception report tells of its spotter.
    const char* grid = "";
    int dxcc = 0;
    int continent = -1;
};

class SpotFilterRows : public testing::TestWithParam<PassRow> {};

TEST_P(SpotFilterRows, Passes) {
    CSpotFilter filter;
    filter.SetCountryFile(countrytext::CountryFilePath());
    for (const std::string& rule : GetParam().rules) {
        std::string reason;
        ASSERT_EQ(filter.Add(rule, reason), CSpotFilter::Added::Used) << reason;
    }
    SpotFields spot;
    spot.Spotter = GetParam().spotter;
    spot.Frequency = GetParam().frequency;
    spot.DxCall = "EA8XYZ";
    spot.Comment = GetParam().comment;
    spot.Time = "1234";
    spot.SpotterGrid = GetParam().grid;
    spot.SpotterDxcc = GetParam().dxcc;
    spot.SpotterContinent = GetParam().continent;
    EXPECT_EQ(filter.Passes(spot), GetParam().passes);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, SpotFilterRows,
    testing::Values(
        PassRow{"NoRules", "K1ABC", "14025.0", "", {}, true},
        PassRow{
            "RejectMatches", "K1ABC", "5357.0", "FT8", {"reject band=60m,30m mode=DIGI"}, false},
        PassRow{"RejectNeedsEveryCriterion",
                "K1ABC",
                "5357.0",
                "CW",
                {"reject band=60m mode=DIGI"},
                true},
        PassRow{"AcceptOnlyMatches",
                "DL1ABC-#",
                "1822.0",
                "CW 12 dB",
                {"accept band=160m,80m mode=CW skimmer=yes spotter-cont=EU"},
                true},
        PassRow{"AcceptOnlyOther",
                "K1ABC-#",
                "1822.0",
                "CW 12 dB",
                {"accept band=160m,80m mode=CW skimmer=yes spotter-cont=EU"},
                false},
        PassRow{"RejectBeatsAccept",
                "DL1ABC",
                "14025.0",
                "",
                {"accept band=20m", "reject dx=EA8*"},
                false},
        PassRow{"FirstAcceptSuffices",
                "DL1ABC",
                "14025.0",
                "",
                {"accept band=20m", "accept band=40m"},
                true},
        PassRow{"AnyAcceptSuffices",
                "DL1ABC",
                "14025.0",
                "",
                {"accept band=40m", "accept dx-cont=AF"},
                true},
        PassRow{"HumanOnly", "DL1ABC-#", "14025.0", "", {"accept skimmer=no"}, false},
        PassRow{"SpotterPatternWithoutSkimmerMark",
                "DL1ABC-#",
                "14025.0",
                "",
                {"reject spotter=DL1ABC"},
                false},
        PassRow{"JoinedRejectsEachCount",
                "DL1ABC",
                "14025.0",
                "",
                {"reject band=40m", "reject band=20m", "accept band=20m,40m"},
                false},
        PassRow{"LocatorPrefixAnyCase",
                "DL1ABC-#",
                "14074.0",
                "FT8 -12 dB JO31",
                {"accept spotter-grid=JN,JO3"},
                true,
                "jo31ab"},
        PassRow{"NoLocatorMatchesNoGrid",
                "DL1ABC-#",
                "14074.0",
                "FT8 -12 dB",
                {"accept spotter-grid=JO"},
                false},
        PassRow{"ReportedEntity",
                "DL1ABC-#",
                "14074.0",
                "FT8 -12 dB",
                {"reject spotter-dxcc=291", "accept spotter-dxcc=230"},
                true,
                "JO31",
                230},
        PassRow{"ReportedContinentBeforeCall",
                "DL1ABC-#",
                "14074.0",
                "FT8 -12 dB",
                {"accept spotter-cont=NA"},
                true,
                "FN42",
                291,
                4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpotFilterTest, SharedFactsServeEachCountryFileAndFieldByItsOwn) {
    // A second file that puts DL on another continent than the first.
    const std::string otherPath = countrytext::CountryFilePath() + ".na";
    std::ofstream(otherPath)
        << "Fed. Rep. of Germany:     14:  28:  NA:   51.00:   -10.00:    -1.0:  DL:\n    DL;\n";
    auto filterOf = [](const std::string& path, const char* rule) {
        auto filter = std::make_unique<CSpotFilter>();
        filter->SetCountryFile(path);
        std::string reason;
        EXPECT_EQ(filter->Add(rule, reason), CSpotFilter::Added::Used) << reason;
        return filter;
    };
    const auto eu = filterOf(countrytext::CountryFilePath(), "accept dx-cont=EU band=20m");
    const auto na = filterOf(otherPath, "accept dx-cont=NA");
    const auto spotterEu = filterOf(countrytext::CountryFilePath(), "reject spotter-cont=EU");

    const std::string line = "DL1ABC-# 14025.0 DL2XYZ 7025.0";
    const std::string_view text = line;
    SpotFields spot;
    spot.Spotter = text.substr(0, 8);
    spot.Frequency = text.substr(9, 7);
    spot.DxCall = text.substr(17, 6);
    SpotFacts shared;
    EXPECT_TRUE(eu->Passes(spot, &shared));
    EXPECT_TRUE(na->Passes(spot, &shared));
    EXPECT_FALSE(spotterEu->Passes(spot, &shared));

    SpotFields changed = spot;
    changed.Spotter.remove_suffix(2); // as a port that strips "-#" has it
    EXPECT_FALSE(spotterEu->Passes(changed, &shared));
    changed.Frequency = text.substr(24, 6);
    EXPECT_FALSE(eu->Passes(changed, &shared));
    EXPECT_TRUE(eu->Passes(spot, &shared));
    // A port with the same rules takes the verdict for the same fields only.
    const auto sameRules = filterOf(countrytext::CountryFilePath(), "accept dx-cont=EU band=20m");
    EXPECT_FALSE(sameRules->Passes(changed, &shared));
    EXPECT_TRUE(sameRules->Passes(spot, &shared));
    std::remove(otherPath.c_str());
}

// A spot whose source reports no entity is placed by its spotter's call,
// through the numbers of the cty.csv beside the country file.
TEST(SpotFilterTest, SpotterDxccFromTheCallWhenTheSourceReportsNone) {
    ScratchFolder scratch;
    WriteFileBytes(scratch.Path() / "cty.dat",
                   "Fed. Rep. of Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n DL;\n"
                   "United States: 05: 08: NA: 37.53: 91.67: 5.0: K:\n K,W;\n");
    WriteFileBytes(scratch.Path() / "cty.csv",
                   "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DL;\r\n"
                   "K,United States,291,NA,5,8,37.53,91.67,5.0,K W;\r\n");
    CSpotFilter filter;
    filter.SetCountryFile((scratch.Path() / "cty.dat").string());
    std::string reason;
    ASSERT_EQ(filter.Add("accept spotter-dxcc=230", reason), CSpotFilter::Added::Used) << reason;
    SpotFields spot;
    spot.Spotter = "DL1ABC-#";
    spot.Frequency = "14025.0";
    spot.DxCall = "K1ABC";
    EXPECT_TRUE(filter.Passes(spot));
    spot.Spotter = "W1AW";
    EXPECT_FALSE(filter.Passes(spot));
    spot.SpotterDxcc = 230; // the report's word counts over the call's
    EXPECT_TRUE(filter.Passes(spot));
}

// The rules as they read, checked one by one: what the made-ready checks,
// their order, the joined rules, the plans by band and the facts shared
// between filters must all agree with.
bool ReadsAsPassing(const std::vector<FilterRule>& rules, const SpotFields& spot,
                    const CCountryFile& countries) {
    double kHz = -1.0;
    if (!CBandTable::ParseKhz(spot.Frequency, kHz)) {
        kHz = -1.0;
    }
    const std::string_view spotter = CFilterFacts::BareSpotter(spot.Spotter);
    auto any = [](const std::vector<std::string>& patterns, std::string_view call) {
        return std::any_of(patterns.begin(), patterns.end(),
                           [call](const std::string& p) { return CCallPattern::Matches(p, call); });
    };
    auto matches = [&](const FilterRule& rule) {
        const bool skimmer =
            (!spot.Spotter.empty() && spot.Spotter.back() == '#') || spot.StrippedMark == '#';
        const int spotterContinent =
            spot.SpotterContinent >= 0 ? spot.SpotterContinent : countries.ContinentOf(spotter);
        return (rule.skimmer == FilterRule::Skimmer::Any ||
                (rule.skimmer == FilterRule::Skimmer::Yes) == skimmer) &&
               (!rule.bands.IsSet() || rule.bands.Holds(CBandTable::BandOf(kHz))) &&
               (!rule.modes.IsSet() || rule.modes.Holds(CModeTable::ModeOf(spot.Comment, kHz))) &&
               (rule.dx.empty() || any(rule.dx, spot.DxCall)) &&
               (rule.spotter.empty() || any(rule.spotter, spotter)) &&
               (!rule.dxContinents.IsSet() ||
                rule.dxContinents.Holds(countries.ContinentOf(spot.DxCall))) &&
               (!rule.spotterContinents.IsSet() || rule.spotterContinents.Holds(spotterContinent));
    };
    bool accepts = false;
    bool accepted = false;
    for (const FilterRule& rule : rules) {
        if (!rule.accept && matches(rule)) {
            return false;
        }
        accepts |= rule.accept;
        accepted |= rule.accept && matches(rule);
    }
    return !accepts || accepted;
}

// Random filters of real-looking rules on random spots, several filters a
// spot sharing their facts as the destinations of a line do.
TEST(SpotFilterTest, MadeReadyRulesPassWhatTheRulesAsWrittenPass) {
    const std::vector<std::string> texts = {"reject band=20m",
                                            "accept band=40m,20m mode=CW",
                                            "reject dx=EA8*,*/P",
                                            "accept spotter=DL*",
                                            "reject skimmer=yes",
                                            "accept dx-cont=EU spotter-cont=NA",
                                            "reject spotter-cont=EU skimmer=no",
                                            "accept mode=DIGI",
                                            "reject dx=K?ABC",
                                            "accept dx=*1A*",
                                            "reject band=other",
                                            "accept band=160m skimmer=yes",
                                            "reject dx-cont=AF",
                                            "accept dx=KH6ABC,UA*",
                                            "reject spotter=W1AW,*-@",
                                            "accept band=20m",
                                            "reject band=40m mode=CW dx-cont=EU,NA",
                                            "accept skimmer=no"};
    const std::vector<const char*> spotters = {"DL1ABC",   "DL1ABC-#",   "K1ABC-#", "W1AW",
                                               "EA8XYZ-@", "VP2E/K1ABC", "ua9abc"};
    const std::vector<const char*> frequencies = {"14025.0", "7074.0",  "1822.0",  "5357.0",
                                                  "x",       "50313.0", "144300.0"};
    const std::vector<const char*> calls = {"EA8XYZ",   "K1ABC",    "KH6ABC", "DL1ABC/P",
                                            "UA3ABC/9", "kh6abc-#", "3Y0J",   "K2ABC"};
    const std::vector<const char*> comments = {"", "CW 12 dB", "FT8 -12 dB", "tnx"};
    CCountryFile countries;
    std::string error;
    ASSERT_TRUE(countries.Read(countrytext::CountryFilePath(), error)) << error;

    std::mt19937 random(7);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::unique_ptr<CSpotFilter>> filters;
        std::vector<std::vector<FilterRule>> rules;
        for (int f = 0; f < 3; ++f) {
            filters.push_back(std::make_unique<CSpotFilter>());
            filters.back()->SetCountryFile(countrytext::CountryFilePath());
            rules.emplace_back();
            for (std::size_t n = 1 + pick(5); n > 0; --n) {
                const std::string& text = texts[pick(texts.size())];
                std::string reason;
                ASSERT_EQ(filters.back()->Add(text, reason), CSpotFilter::Added::Used);
                FilterRule rule;
                ASSERT_TRUE(CFilterRuleParser::Parse(text, rule, reason));
                rules.back().push_back(rule);
            }
        }
        SpotFacts shared;
        for (int s = 0; s < 20; ++s) {
            SpotFields spot;
            spot.Spotter = spotters[pick(spotters.size())];
            spot.Frequency = frequencies[pick(frequencies.size())];
            spot.DxCall = calls[pick(calls.size())];
            spot.Comment = comments[pick(comments.size())];
            shared.Reset();
            for (std::size_t f = 0; f < filters.size(); ++f) {
                // The last as a port that strips the "-#" or "-@" off.
                SpotFields seen = spot;
                const char mark = seen.Spotter.back();
                if (f == 2 && (mark == '#' || mark == '@')) {
                    seen.Spotter.remove_suffix(2);
                    seen.StrippedMark = mark;
                }
                const bool expected = ReadsAsPassing(rules[f], seen, countries);
                ASSERT_EQ(filters[f]->Passes(seen, &shared), expected)
                    << filters[f]->Rules().size() << " rules, first "
                    << filters[f]->Rules().front().text << "; " << spot.Spotter << " "
                    << spot.Frequency << " " << spot.DxCall << " " << spot.Comment;
                ASSERT_EQ(filters[f]->Passes(seen), expected);
            }
        }
    }
}

// Each data type that sends spots, fed a spot by a source it takes spots from.
struct SenderRow {
    const char* name;
    const char* destination;
    const char* source;
    std::string line;
};

class FilteredSenders : public testing::TestWithParam<SenderRow> {};

TEST_P(FilteredSenders, FilteredSpotIsCountedAndKeepsNoDupePlace) {
    Rig r(GetParam().source, GetParam().destination);
    r.dstRouter.SetDupeLength(10);
    r.dstRouter.SetFilter("", {"reject band=20m"});
    r.Feed(GetParam().line);
    EXPECT_EQ(r.dst.written, "");
    r.dstRouter.SetFilter("", {"reject band=40m"});
    r.Feed(GetParam().line);
    EXPECT_NE(r.dst.written, "");
    r.Feed(GetParam().line);
    EXPECT_EQ(r.dstRouter.CountsText(), "spots passed 1, filtered 1, dupes dropped 1");
    EXPECT_EQ(r.Shown(), "");
}

INSTANTIATE_TEST_SUITE_P(
    DataTypes, FilteredSenders,
    testing::Values(SenderRow{"ClusterUser", "Cluster User", "Cluster User", UserSpot},
                    SenderRow{"ClusseUser", "Clusse User", "Cluster Node", NodeSpot},
                    SenderRow{"SpiderUser", "Spider User", "Clusse User", ClusseSpot},
                    SenderRow{"ClusterNode", "Cluster Node", "Cluster User", UserSpot},
                    SenderRow{"MircUser", "MIRC User", "Cluster Node", NodeSpot},
                    SenderRow{"CTUser", "CT User", "MIRC User", IrcSpot},
                    SenderRow{"CTNetwork", "CT Network", "Cluster User", UserSpot}),
    [](const auto& info) { return std::string(info.param.name); });

// Lines that begin as spots but cannot be read as one, on the data types that
// would hand them on as text.
class UnreadSpotLines : public testing::TestWithParam<SenderRow> {};

TEST_P(UnreadSpotLines, StayOffPortWithAcceptRuleAndAreCounted) {
    Rig r(GetParam().source, GetParam().destination);
    r.dstRouter.SetFilter("", {"reject band=60m"});
    r.Feed(GetParam().line);
    EXPECT_NE(r.dst.written, "");
    r.dst.written.clear();

    r.dstRouter.SetFilter("", {"accept band=20m"});
    r.Feed(GetParam().line);
    EXPECT_EQ(r.dst.written, "");
    EXPECT_EQ(r.dstRouter.CountsText(), "spots passed 0, filtered 1, dupes dropped 0");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UnreadSpotLines,
    testing::Values(
        SenderRow{"Under100kHz", "CT User", "Cluster User",
                  "DX de K1ABC:        99.0  DL1XYZ       cq cq                          1234Z"},
        SenderRow{"FrequencyWithoutPoint", "CT Network", "Clusse User",
                  "DX de K1ABC:     14025    DL1XYZ       1234Z cq cq"},
        SenderRow{"TruncatedFrame", "Cluster Node", "Cluster Node",
                  "PC11^14025.0^DL1XYZ^7-Dec-2026^12"}),
    [](const auto& info) { return std::string(info.param.name); });

// The Cluster User section of a setup, ending where the next port's would begin.
std::vector<std::string> Section(std::vector<std::string> filterLines) {
    std::vector<std::string> lines = {"MyCall=G4AAA",
                                      "AntiLoopPrefix=  <",
                                      "DupeLength=0",
                                      "CRLFOption=3",
                                      "BlockDashAtOption=0",
                                      "StripAtPoundOption=0",
                                      "OnlyPassSkimmerCQOption=0"};
    lines.insert(lines.end(), filterLines.begin(), filterLines.end());
    lines.emplace_back("PortType=TEL");
    return lines;
}

struct LoadRow {
    const char* name;
    std::vector<std::string> filterLines;
    std::vector<std::string> savedFilterLines;
    std::string shown;
};

class FilterKeysLoad : public testing::TestWithParam<LoadRow> {};

TEST_P(FilterKeysLoad, ReadsWritesAndReports) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    std::vector<std::string> lines = Section(GetParam().filterLines);
    CSetupFile setup(lines, host.ui);
    const auto router = RouterFactory::CreateFromSetup(1, setup, port);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
    std::vector<std::string> saved = Lines(Saved(*router));
    saved.erase(saved.begin());
    saved.emplace_back("PortType=TEL");
    EXPECT_EQ(saved, Section(GetParam().savedFilterLines));
    EXPECT_EQ(host.ViewOf(0).Text(), GetParam().shown);
}

const std::string Cty = "CountryFile=" + countrytext::CountryFilePath();

INSTANTIATE_TEST_SUITE_P(
    Setups, FilterKeysLoad,
    testing::Values(
        LoadRow{"None", {}, {}, ""},
        LoadRow{"RoundTrip",
                {Cty, "Filter=reject band=60m,30m mode=DIGI",
                 "Filter=accept dx=VK9*,3Y0* spotter-cont=EU,AF"},
                {Cty, "Filter=reject band=60m,30m mode=DIGI",
                 "Filter=accept dx=VK9*,3Y0* spotter-cont=EU,AF"},
                ""},
        LoadRow{"BadRuleDropped",
                {"Filter=reject band=20m", "Filter=reject band=61m", "Filter=accept mode=CW"},
                {"Filter=reject band=20m", "Filter=accept mode=CW"},
                "P: Filter on line 9 dropped, unknown band \"61m\": reject band=61m\n"},
        LoadRow{"NoCountryFile",
                {"CountryFile=/nonexistent/cty.dat", "Filter=accept spotter-cont=EU",
                 "Filter=accept dx-cont=NA", "Filter=reject band=60m"},
                {"CountryFile=/nonexistent/cty.dat", "Filter=accept spotter-cont=EU",
                 "Filter=accept dx-cont=NA", "Filter=reject band=60m"},
                "P: Filter on line 9 not used, no country file for its continents "
                "(/nonexistent/cty.dat: No such file or directory): accept spotter-cont=EU\n"
                "P: Filter on line 10 not used, no country file for its continents: "
                "accept dx-cont=NA\n"
                "P: No spot passes this port until one of its accept rules can be used\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FilterKeysTest, UnusableAcceptRuleFailsClosedAndUnusableRejectRuleIsSkipped) {
    const std::string Spot40m =
        "DX de K1ABC:      7025.0  DL1XYZ       cq cq                          1234Z";
    Rig r("Cluster User", "Cluster User");
    r.dstRouter.SetFilter("/nonexistent/cty.dat", {"accept spotter-cont=EU", "reject band=20m"});
    r.Feed(Spot40m);
    EXPECT_EQ(r.dst.written, "");
    EXPECT_EQ(r.dstRouter.CountsText(), "spots passed 0, filtered 1, dupes dropped 0");

    r.dstRouter.SetFilter("/nonexistent/cty.dat", {"reject spotter-cont=EU", "reject band=20m"});
    r.Feed(UserSpot);
    r.Feed(Spot40m);
    EXPECT_EQ(r.dst.written, "DX/K1ABC 7025.0 DL1XYZ cq cq  <G4AAA\r\n");
}

} // namespace
