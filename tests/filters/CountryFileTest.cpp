#include "filters/CountryFile.h"

#include "CountryText.h"
#include "support/ScratchFolder.h"
#include "text/AsciiText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using countrytext::Countries;

struct LookUpRow {
    const char* name;
    const char* call;
    const char* continent;
    int cqZone;
    // The ADIF number where a row checks it.
    int dxcc = -1;
};

class CountryLookUp : public testing::TestWithParam<LookUpRow> {};

TEST_P(CountryLookUp, ContinentAndCqZoneOfCall) {
    CCountryFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(Countries, error)) << error;
    EXPECT_EQ(CCountryFile::ContinentName(file.ContinentOf(GetParam().call)), GetParam().continent);
    EXPECT_EQ(file.CqZoneOf(GetParam().call), GetParam().cqZone);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CountryLookUp,
    testing::Values(LookUpRow{"Plain", "K1ABC", "NA", 5},
                    LookUpRow{"LongestPrefixWins", "EA8ABC", "AF", 33},
                    LookUpRow{"ShorterPrefix", "EA1ABC", "EU", 14},
                    LookUpRow{"PortableKeepsCountry", "K1ABC/P", "NA", 5},
                    LookUpRow{"MaritimeMobileHasNone", "K1ABC/MM", "", 0},
                    LookUpRow{"PrefixPartFirst", "VP2E/K1ABC", "NA", 8},
                    LookUpRow{"PrefixPartDecides", "VP2E/DL1ABC", "NA", 8},
                    LookUpRow{"PrefixAndPortable", "EA8/DL1ABC/P", "AF", 33},
                    LookUpRow{"PrefixPartLast", "DL1ABC/EA8", "AF", 33},
                    LookUpRow{"AreaDigitSameCountry", "K1ABC/4", "NA", 5},
                    LookUpRow{"AreaDigitMovesContinent", "UA3ABC/9", "AS", 17},
                    LookUpRow{"AreaDigitMovesBack", "RA0ABC/6", "EU", 16},
                    LookUpRow{"AreaPrefixUnknownKeepsHome", "VP2EAB/3", "NA", 8},
                    LookUpRow{"AreaDigitAndPortable", "UA3ABC/0/P", "AS", 19},
                    LookUpRow{"AreaDigitMovesZone", "W1ABC/6", "NA", 3},
                    LookUpRow{"MmPrefixIsScotland", "MM/K1ABC", "EU", 14},
                    LookUpRow{"AmPrefixIsSpain", "AM/K1ABC", "EU", 14},
                    LookUpRow{"AeronauticalHasNone", "DL1ABC/AM", "", 0},
                    LookUpRow{"FirstListedCallWins", "K1DUP", "NA", 5},
                    LookUpRow{"FirstListedCallWinsAgain", "DL1DUP", "EU", 14},
                    LookUpRow{"WholeCallOverride", "KH6ABC", "OC", 31},
                    LookUpRow{"WholeCallOnlyWhole", "KH6ABD", "NA", 5},
                    LookUpRow{"PrefixZoneOverride", "UA0ABC", "AS", 19},
                    LookUpRow{"PrefixZoneOverrideLonger", "K0ABC", "NA", 4},
                    LookUpRow{"SkimmerLowerCase", "dl1abc-#", "EU", 14},
                    LookUpRow{"WholeCallBeforeMark", "KH6ABC-#", "OC", 31},
                    LookUpRow{"PortableBeforeMark", "K1ABC/MM-@", "", 0},
                    LookUpRow{"MarkOnly", "-#", "", 0}, LookUpRow{"Unknown", "3Y0J", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The same kinds of calls against the real file of Debian's hamradio-files
// package.
constexpr const char* DebianFile = "/usr/share/hamradio-files/cty.dat";

class RealCountryFile : public testing::TestWithParam<LookUpRow> {};

TEST_P(RealCountryFile, ContinentAndCqZoneOfCall) {
    static CCountryFile file;
    static std::string error;
    static const bool read = file.Read(DebianFile, error);
    if (!read && error.find("No such file") != std::string::npos) {
        GTEST_SKIP() << DebianFile << " is not installed (Debian package hamradio-files)";
    }
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(CCountryFile::ContinentName(file.ContinentOf(GetParam().call)), GetParam().continent);
    EXPECT_EQ(file.CqZoneOf(GetParam().call), GetParam().cqZone);
    if (GetParam().dxcc >= 0) {
        EXPECT_EQ(file.DxccOf(GetParam().call), GetParam().dxcc);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RealCountryFile,
    testing::Values(LookUpRow{"AsiaticRussia", "UA9ABC", "AS", 17, 15},
                    LookUpRow{"AsiaticRussiaFarEast", "UA0CDX", "AS", 19},
                    LookUpRow{"AreaDigitToAsia", "UA3ABC/9", "AS", 17, 15},
                    LookUpRow{"AreaDigitToEurope", "RA0ABC/6", "EU", 16, 54},
                    LookUpRow{"EuropeanTurkey", "TA3ABC/1", "EU", 20, 390},
                    LookUpRow{"AsiaticTurkey", "TA1ABC/3", "AS", 20},
                    LookUpRow{"MmPrefixIsScotland", "MM/DL1ABC", "EU", 14, 279},
                    LookUpRow{"AmPrefixIsSpain", "AM/K1ABC", "EU", 14},
                    LookUpRow{"MaritimeMobileHasNone", "DL1ABC/MM", "", 0, 0},
                    LookUpRow{"PrefixPartDecides", "VP2E/K1ABC", "NA", 8},
                    LookUpRow{"CanariesPortable", "EA8/DL1ABC/P", "AF", 33, 29},
                    LookUpRow{"MidwestZone", "K0ABC", "NA", 4},
                    LookUpRow{"SkimmerSpotter", "OH6BG-#", "EU", 15, 224}),
    [](const auto& info) { return std::string(info.param.name); });

// The look-up against a plain reading of the same file: every entry in
// order, the first whole call equal to the call (keyed as upper case, low
// seven bits), else the first of the longest prefixes. Calls without "/"
// only, but for whole-call entries, which win whatever they hold.
class ReferenceCountries {
  public:
    explicit ReferenceCountries(const std::string& text) {
        std::size_t start = 0;
        for (std::size_t end; (end = text.find(';', start)) != std::string::npos; start = end + 1) {
            std::string record = text.substr(start, end - start);
            std::vector<std::string> header;
            std::size_t at = 0;
            for (int i = 0; i < 8; ++i) {
                const std::size_t colon = record.find(':', at);
                header.push_back(Trim(record.substr(at, colon - at)));
                at = colon + 1;
            }
            std::stringstream list(record.substr(at));
            for (std::string item; std::getline(list, item, ',');) {
                AddEntry(Trim(item), header[3], Zone(header[1]));
            }
        }
    }
    // The continent name and zone, or nothing when the reference does not
    // say (a "/" in a call that no whole-call entry lists).
    std::optional<std::pair<std::string, int>> Of(std::string_view call) const {
        std::string key;
        for (const char c : call.substr(0, call.find('-'))) {
            key.push_back(static_cast<char>(ascii::Upper(c) & 127));
        }
        if (const auto whole = m_wholes.find(key); whole != m_wholes.end()) {
            return whole->second;
        }
        if (key.find('/') != std::string::npos) {
            return std::nullopt;
        }
        for (std::size_t length = key.size(); length > 0; --length) {
            if (const auto prefix = m_prefixes.find(key.substr(0, length));
                prefix != m_prefixes.end()) {
                return prefix->second;
            }
        }
        return std::pair<std::string, int>{"", 0};
    }
    std::vector<std::string> Entries(bool whole) const {
        std::vector<std::string> calls;
        for (const Entry& e : m_entries) {
            if (e.whole == whole) {
                calls.push_back(e.call);
            }
        }
        return calls;
    }

  private:
    struct Entry {
        bool whole;
        std::string call;
        std::pair<std::string, int> place;
    };
    static std::string Trim(const std::string& text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        return first == std::string::npos
                   ? std::string()
                   : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    }
    static int Zone(const std::string& text) {
        const bool number = !text.empty() && text.size() <= 2 &&
                            std::all_of(text.begin(), text.end(), ascii::IsDigit);
        return number && std::stoi(text) <= 40 ? std::stoi(text) : 0;
    }
    void AddEntry(std::string item, std::string continent, int zone) {
        const bool whole = item.starts_with('=');
        const std::size_t marks = item.find_first_of("([<{~");
        const std::string overrides = marks == std::string::npos ? "" : item.substr(marks);
        if (const std::size_t open = overrides.find('('); open != std::string::npos) {
            zone = Zone(overrides.substr(open + 1, overrides.find(')') - open - 1));
        }
        if (const std::size_t open = overrides.find('{'); open != std::string::npos) {
            continent = overrides.substr(open + 1, 2);
        }
        std::string call = item.substr(whole ? 1 : 0, marks - (whole ? 1 : 0));
        std::transform(call.begin(), call.end(), call.begin(), ascii::Upper);
        m_entries.push_back(Entry{whole, call, {continent, zone}});
        (whole ? m_wholes : m_prefixes).emplace(call, std::pair{continent, zone});
    }
    std::vector<Entry> m_entries;
    // The first listed of each.
    std::map<std::string, std::pair<std::string, int>> m_wholes;
    std::map<std::string, std::pair<std::string, int>> m_prefixes;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Calls of no file: letters and digits, 1 to 8 long, the same every run.
std::vector<std::string> MadeUpCalls(int count) {
    std::vector<std::string> calls;
    unsigned seed = 12345;
    const auto next = [&seed](unsigned below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    constexpr std::string_view Chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int i = 0; i < count; ++i) {
        std::string call(1 + next(8), ' ');
        for (char& c : call) {
            c = Chars[next(static_cast<unsigned>(Chars.size()))];
        }
        calls.push_back(call);
    }
    return calls;
}

struct CallsRow {
    const char* name;
    std::function<std::vector<std::string>(const ReferenceCountries&)> calls;
};

class CountryLookUpAgainstReference : public testing::TestWithParam<CallsRow> {};

TEST_P(CountryLookUpAgainstReference, SamePlaceAsThePlainReading) {
    for (const std::string& path :
         {std::string(SPOTWEAVER_BENCH_SETUPS "/bench-cty.dat"), std::string(DebianFile)}) {
        const std::string text = ReadAll(path);
        if (text.empty()) {
            continue;
        }
        CCountryFile file;
        std::string error;
        ASSERT_TRUE(file.Parse(text, error)) << path << ": " << error;
        const ReferenceCountries reference(text);
        for (const std::string& call : GetParam().calls(reference)) {
            // What the first characters tell must hold the call's continent.
            EXPECT_NE(file.PlacesOf(call) & CCountryFile::PlaceBit(file.ContinentOf(call)), 0)
                << path << " " << call;
            const auto expected = reference.Of(call);
            if (!expected) {
                continue;
            }
            EXPECT_EQ(CCountryFile::ContinentName(file.ContinentOf(call)), expected->first)
                << path << " " << call;
            EXPECT_EQ(file.CqZoneOf(call), expected->second) << path << " " << call;
        }
    }
}

std::vector<std::string> Changed(std::vector<std::string> calls,
                                 const std::function<void(std::string&)>& change) {
    std::for_each(calls.begin(), calls.end(), change);
    return calls;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CountryLookUpAgainstReference,
    testing::Values(CallsRow{"EveryPrefix", [](const auto& r) { return r.Entries(false); }},
                    CallsRow{"EveryPrefixWithASuffix",
                             [](const auto& r) {
                                 return Changed(r.Entries(false),
                                                [](std::string& c) { c += "9XY"; });
                             }},
                    CallsRow{"EveryPrefixSignedAway",
                             [](const auto& r) {
                                 std::vector<std::string> calls;
                                 for (const std::string& p : r.Entries(false)) {
                                     for (const std::string& form :
                                          {p + "1A/P", "EA8/" + p + "1A", p + "1A/MM", "W1AW/" + p,
                                           p + "1A/3", p + "/QRP-#", p + "/"}) {
                                         calls.push_back(form);
                                     }
                                 }
                                 return calls;
                             }},
                    CallsRow{"EveryWholeCall", [](const auto& r) { return r.Entries(true); }},
                    CallsRow{"EveryWholeCallCutShort",
                             [](const auto& r) {
                                 return Changed(r.Entries(true),
                                                [](std::string& c) { c.pop_back(); });
                             }},
                    CallsRow{"EveryWholeCallGrown",
                             [](const auto& r) {
                                 return Changed(r.Entries(true), [](std::string& c) { c += "Z"; });
                             }},
                    CallsRow{"MadeUpCalls", [](const auto&) { return MadeUpCalls(600); }},
                    CallsRow{"MadeUpCallsLowerCaseWithMark",
                             [](const auto&) {
                                 return Changed(MadeUpCalls(300), [](std::string& c) {
                                     std::transform(c.begin(), c.end(), c.begin(), [](char x) {
                                         return static_cast<char>(std::tolower(x));
                                     });
                                     c += "-#";
                                 });
                             }},
                    CallsRow{"MadeUpCallsWithHighBitBytes",
                             [](const auto&) {
                                 return Changed(MadeUpCalls(300), [](std::string& c) {
                                     c[c.size() / 2] = static_cast<char>(c[c.size() / 2] | 0x80);
                                 });
                             }}),
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

// Continent filters worked with such a file before zones were read, so a
// zone that is no number only leaves the zone unknown.
TEST(CountryFileTest, UnreadableZone_ContinentKeptZoneUnknown) {
    CCountryFile file;
    std::string error;
    ASSERT_TRUE(
        file.Parse("Spain: 1A: 37: EU: 40.37: 4.88: -1.0: EA:\n EA,EA6(99),=EA1ABC(x);\n", error))
        << error;
    for (const char* call : {"EA4ABC", "EA6ABC", "EA1ABC"}) {
        EXPECT_EQ(CCountryFile::ContinentName(file.ContinentOf(call)), "EU") << call;
        EXPECT_EQ(file.CqZoneOf(call), CCountryFile::NoZone) << call;
    }
}

// The numbers come from the "cty.csv" beside the file; entities that share
// a number ("*"-led ones count only for the European award) leave it to
// the main one, and lines of no use are skipped with one note.
TEST(CountryFileTest, AdifNumbersFromCsvBesideTheFile) {
    ScratchFolder scratch;
    WriteFileBytes(scratch.Path() / "cty.dat",
                   "Sicily:        15: 28: EU: 37.50: -14.00: -1.0: *IT9:\n IT9;\n"
                   "African Italy: 33: 37: AF: 35.67: -12.67: -1.0: *IG9:\n IG9;\n"
                   "Italy:         15: 28: EU: 42.82: -12.58: -1.0: I:\n I;\n"
                   "Monaco:        14: 27: EU: 43.73:  -7.40: -1.0: 3A:\n 3A,=K1MC;\n"
                   "Spain:         14: 37: EU: 40.37:   4.88: -1.0: EA:\n EA;\n");
    WriteFileBytes(scratch.Path() / "cty.csv",
                   "*IG9,African Italy,248,AF,33,37,35.67,-12.67,-1.0,IG9;\r\n"
                   "*IT9,Sicily,248,EU,15,28,37.50,-14.00,-1.0,IT9;\r\n"
                   "I,Italy,248,EU,15,28,42.82,-12.58,-1.0,I;\r\n"
                   "XX,Nowhere,999,EU,1,1,0,0,0,XX;\r\n"
                   "3A,Monaco,260,EU,14,27,43.73,-7.40,-1.0,3A =K1MC;\r\n"
                   "EA,Spain,28l,EU,14,37,40.37,4.88,-1.0,EA;\r\n");
    CCountryFile file;
    std::string error;
    ASSERT_TRUE(file.Read((scratch.Path() / "cty.dat").string(), error)) << error;
    EXPECT_EQ(file.DxccOf("IT9ABC"), 248);
    EXPECT_EQ(file.DxccOf("IG9X/P"), 248);
    EXPECT_EQ(file.DxccOf("K1MC"), 260);
    EXPECT_EQ(file.DxccOf("EA1ABC"), CCountryFile::NoDxcc);
    EXPECT_EQ(file.DxccOf("W1AW"), CCountryFile::NoDxcc);
    ASSERT_NE(file.EntityOf(248), nullptr);
    EXPECT_EQ(file.EntityOf(248)->Name, "Italy");
    EXPECT_EQ(CCountryFile::ContinentName(file.EntityOf(248)->Continent), "EU");
    EXPECT_EQ(file.EntityOf(260)->CqZone, 14);
    EXPECT_EQ(file.EntityOf(999), nullptr);
    EXPECT_EQ(file.EntityOf(0), nullptr);
    EXPECT_EQ(file.NumbersNote(), (scratch.Path() / "cty.csv").string() +
                                      ": 2 lines skipped, the first (line 4) names \"XX\", "
                                      "which the country file lacks");
}

TEST(CountryFileTest, MissingFileSaysWhy) {
    CCountryFile file;
    std::string error;
    EXPECT_FALSE(file.Read("/nonexistent/cty.dat", error));
    EXPECT_EQ(error, "/nonexistent/cty.dat: No such file or directory");
}

TEST(CountryFileTest, PipeAndDirectoryRefusedWithoutWaiting) {
    ScratchFolder scratch;
    const std::string fifo = (scratch.Path() / "cty.dat").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CCountryFile file;
    std::string error;
    EXPECT_FALSE(file.Read(fifo, error));
    EXPECT_EQ(error, fifo + ": is not a regular file");
    EXPECT_FALSE(file.Read(scratch.Path().string(), error));
    EXPECT_EQ(error, scratch.Path().string() + ": is a directory");
}

} // namespace
