#include "filters/FilterRuleParser.h"
#include "filters/FilterRuleWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct GoodRow {
    const char* name;
    const char* text;
    const char* canonical;
    const char* words;
};

class FilterRuleGood : public testing::TestWithParam<GoodRow> {};

TEST_P(FilterRuleGood, ParsesToCanonicalTextAndWords) {
    FilterRule rule;
    std::string error;
    ASSERT_TRUE(CFilterRuleParser::Parse(GetParam().text, rule, error)) << error;
    const std::string canonical = CFilterRuleParser::Canonical(rule);
    EXPECT_EQ(canonical, GetParam().canonical);
    EXPECT_EQ(CFilterRuleWords::Describe(rule), GetParam().words);
    FilterRule again;
    ASSERT_TRUE(CFilterRuleParser::Parse(canonical, again, error));
    EXPECT_EQ(CFilterRuleParser::Canonical(again), canonical);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FilterRuleGood,
    testing::Values(GoodRow{"BandsAndMode", "reject band=60m,30m mode=DIGI",
                            "reject band=60m,30m mode=DIGI", "reject 60 m and 30 m digital spots"},
                    GoodRow{"CallsAndContinents", "accept dx=VK9*,3Y0* spotter-cont=EU,AF",
                            "accept dx=VK9*,3Y0* spotter-cont=EU,AF",
                            "accept spots of VK9* or 3Y0* spotted in EU or AF"},
                    GoodRow{"AnyCaseAnyOrderExtraBlanks",
                            "  ACCEPT  spotter-cont=eu skimmer=YES\tmode=cw band=160M,80m,40m ",
                            "accept band=160m,80m,40m mode=CW skimmer=yes spotter-cont=EU",
                            "accept 160 m, 80 m and 40 m CW skimmer spots spotted in EU"},
                    GoodRow{"OwnCalls", "reject dx=g4aaa,G4AAA/*", "reject dx=G4AAA,G4AAA/*",
                            "reject spots of G4AAA or G4AAA/*"},
                    GoodRow{"Humans", "accept skimmer=no spotter=DL1ABC dx-cont=OC band=other",
                            "accept band=other spotter=DL1ABC skimmer=no dx-cont=OC",
                            "accept other human spots of stations in OC by DL1ABC"},
                    GoodRow{"SpotterLocatorsAndEntities",
                            "accept spotter-dxcc=230,007 spotter-grid=jo,fn42HN,Jn5 mode=DIGI",
                            "accept mode=DIGI spotter-grid=JO,FN42hn,JN5 spotter-dxcc=230,7",
                            "accept digital spots from locator JO, FN42hn or JN5 from DXCC "
                            "entity 230 or 7"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadRow {
    const char* name;
    std::string text;
    const char* error;
};

class FilterRuleBad : public testing::TestWithParam<BadRow> {};

TEST_P(FilterRuleBad, RefusedWithTheReason) {
    FilterRule rule;
    std::string error;
    EXPECT_FALSE(CFilterRuleParser::Parse(GetParam().text, rule, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FilterRuleBad,
    testing::Values(
        BadRow{"Empty", "   ", "empty rule"},
        BadRow{"RejectAlone", "reject", "\"reject\" alone would drop every spot; name a criterion"},
        BadRow{"AcceptAlone", " Accept ",
               "\"accept\" alone would pass every spot; name a criterion"},
        BadRow{"NoAction", "band=20m", "\"band=20m\": \"accept\" or \"reject\" expected"},
        BadRow{"UnknownCriterion", "accept freq=14000",
               "\"freq=14000\" is not a criterion (band, mode, dx, spotter, skimmer, dx-cont, "
               "spotter-cont, spotter-grid, spotter-dxcc)"},
        BadRow{"CriterionWithoutValue", "accept band",
               "\"band\" is not a criterion (band, mode, dx, "
               "spotter, skimmer, dx-cont, spotter-cont, spotter-grid, spotter-dxcc)"},
        BadRow{"UnknownBand", "reject band=20m,61m", "unknown band \"61m\""},
        BadRow{"UnknownMode", "reject mode=FT8", "unknown mode \"FT8\""},
        BadRow{"EmptyValue", "reject band=20m,,40m", "\"band=20m,,40m\" lacks a value"},
        BadRow{"BadPattern", "reject dx=K1+ABC", "bad call pattern \"K1+ABC\""},
        BadRow{"SkimmerMaybe", "accept skimmer=maybe", "skimmer is yes or no"},
        BadRow{"UnknownContinent", "accept dx-cont=EUR", "unknown continent \"EUR\""},
        BadRow{"LocatorFieldBeyondR", "accept spotter-grid=JS",
               "bad locator \"JS\" (2 to 6 characters of a locator, JO31ab)"},
        BadRow{"LocatorTooLong", "accept spotter-grid=JO31ab1",
               "bad locator \"JO31ab1\" (2 to 6 characters of a locator, JO31ab)"},
        BadRow{"LocatorOneCharacter", "accept spotter-grid=J",
               "bad locator \"J\" (2 to 6 characters of a locator, JO31ab)"},
        BadRow{"EntityZero", "accept spotter-dxcc=0",
               "bad DXCC entity \"0\" (a number from 1 to 999)"},
        BadRow{"EntityTooLarge", "accept spotter-dxcc=1000",
               "bad DXCC entity \"1000\" (a number from 1 to 999)"},
        BadRow{"Twice", "accept band=20m band=40m", "band given twice"},
        BadRow{"TooLong", "accept dx=" + std::string(300, 'K'), "longer than 248 characters"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
