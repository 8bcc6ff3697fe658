#include "filters/CountryFile.h"

#include "CountryText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using countrytext::Countries;

struct LookUpRow {
    const char* name;
    const char* call;
    const char* continent;
};

class CountryLookUp : public testing::TestWithParam<LookUpRow> {};

TEST_P(CountryLookUp, ContinentOfCall) {
    CCountryFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(Countries, error)) << error;
    EXPECT_EQ(CCountryFile::ContinentName(file.ContinentOf(GetParam().call)), GetParam().continent);
}

INSTANTIATE_TEST_SUITE_P(Calls, CountryLookUp,
                         testing::Values(LookUpRow{"Plain", "K1ABC", "NA"},
                                         LookUpRow{"LongestPrefixWins", "EA8ABC", "AF"},
                                         LookUpRow{"ShorterPrefix", "EA1ABC", "EU"},
                                         LookUpRow{"PortableKeepsCountry", "K1ABC/P", "NA"},
                                         LookUpRow{"MaritimeMobileHasNone", "K1ABC/MM", ""},
                                         LookUpRow{"PrefixPartFirst", "VP2E/K1ABC", "NA"},
                                         LookUpRow{"PrefixPartDecides", "VP2E/DL1ABC", "NA"},
                                         LookUpRow{"PrefixAndPortable", "EA8/DL1ABC/P", "AF"},
                                         LookUpRow{"PrefixPartLast", "DL1ABC/EA8", "AF"},
                                         LookUpRow{"AreaDigitKeepsCountry", "K1ABC/4", "NA"},
                                         LookUpRow{"WholeCallOverride", "KH6ABC", "OC"},
                                         LookUpRow{"WholeCallOnlyWhole", "KH6ABD", "NA"},
                                         LookUpRow{"SkimmerLowerCase", "dl1abc-#", "EU"},
                                         LookUpRow{"Unknown", "3Y0J", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadFileRow {
    const char* name;
    std::string text;
    const char* error;
};

class CountryFileBad : public testing::TestWithParam<BadFileRow> {};

TEST_P(CountryFileBad, RefusedWithTheReason) {
    CCountryFile file;
    std::string error;
    EXPECT_FALSE(file.Parse(GetParam().text, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(file.ContinentOf("K1ABC"), CCountryFile::NoContinent);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CountryFileBad,
    testing::Values(BadFileRow{"Empty", "\n\n", "holds no countries"},
                    BadFileRow{"Garbage",
                               "\x7f"
                               "ELF\x02\x01\n",
                               "line 1: not a country record"},
                    BadFileRow{"UnknownContinent",
                               "Spain: 14: 37: XX: 40.37: 4.88: -1.0: EA:\n EA;\n",
                               "line 1: unknown continent \"XX\""},
                    BadFileRow{"CutShort", Countries.substr(0, Countries.find("EF,EG")),
                               "line 3: the record of Spain has no \";\" (is the file cut short?)"},
                    BadFileRow{"BadEntry",
                               "Spain: 14: 37: EU: 40.37: 4.88: -1.0: EA:\n EA,=EA1(14;\n",
                               "line 1: bad entry \"EA1(14\" in the record of Spain"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CountryFileTest, MissingFileSaysWhy) {
    CCountryFile file;
    std::string error;
    EXPECT_FALSE(file.Read("/nonexistent/cty.dat", error));
    EXPECT_EQ(error, "/nonexistent/cty.dat: No such file or directory");
}

} // namespace
