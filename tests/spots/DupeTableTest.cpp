#include "spots/DupeTable.h"

#include "text/AsciiText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(DupeTableTest, CheckAndRecord_Length3_RingFillsPositions1_2_0_1) {
    CDupeTable table;
    table.SetLength(3);
    const char* keys[] = {"14025.0 K1AAA", "14025.0 K1BBB", "14025.0 K1CCC", "14025.0 K1DDD"};
    const int expectedIndex[] = {1, 2, 0, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(table.CheckAndRecord(keys[i])) << keys[i];
        EXPECT_EQ(table.Index(), expectedIndex[i]) << keys[i];
    }
    EXPECT_EQ(table.Entry(0), "14025.0 K1CCC");
    EXPECT_EQ(table.Entry(1), "14025.0 K1DDD");
    EXPECT_EQ(table.Entry(2), "14025.0 K1BBB");

    EXPECT_TRUE(table.CheckAndRecord("14025.0 K1BBB"));
    EXPECT_TRUE(table.CheckAndRecord("14025.0 K1CCC"));
    EXPECT_TRUE(table.CheckAndRecord("14025.0 K1DDD"));
    EXPECT_EQ(table.Index(), 1);

    // The first key was pushed out; it is new again and pushes out the next oldest.
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1AAA"));
    EXPECT_EQ(table.Index(), 2);
    EXPECT_EQ(table.Entry(2), "14025.0 K1AAA");
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1BBB"));
}

struct PrefixRow {
    const char* name;
    const char* stored;
    const char* checked;
    bool dupe;
};

class DupeTablePrefixTest : public testing::TestWithParam<PrefixRow> {};

TEST_P(DupeTablePrefixTest, CheckAndRecord_DupeWhenStoredKeyBeginsWithKey) {
    const PrefixRow& row = GetParam();
    CDupeTable table;
    table.SetLength(10);
    ASSERT_FALSE(table.CheckAndRecord(row.stored));
    EXPECT_EQ(table.CheckAndRecord(row.checked), row.dupe);
    EXPECT_EQ(table.Index(), row.dupe ? 1 : 2);
}

const PrefixRow kPrefixRows[] = {
    {"SameKey", "14025.0 K1ABC", "14025.0 K1ABC", true},
    {"ShorterCall_Dupe", "14025.0 K1ABC", "14025.0 K1AB", true},
    {"LongerCall_NotDupe", "14025.0 K1AB", "14025.0 K1ABC", false},
    {"OtherFrequency_NotDupe", "14025.0 K1ABC", "14025.1 K1ABC", false},
    {"LowerCaseAfterUpper_Dupe", "14025.0 K1ABC", "14025.0 k1abc", true},
    {"UpperCaseAfterLower_Dupe", "14025.0 k1abc", "14025.0 K1ABC", true},
    {"LowerCaseShorterCall_Dupe", "14025.0 K1ABC", "14025.0 k1ab", true},
    {"KeySortingBetweenStored_NotDupe", "14025.0 K1ABC", "14025.0 K1ABB", false},
};

INSTANTIATE_TEST_SUITE_P(Keys, DupeTablePrefixTest, testing::ValuesIn(kPrefixRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DupeTableTest, CheckAndRecord_StoresKeyInUpperCase) {
    CDupeTable table;
    table.SetLength(2);
    EXPECT_FALSE(table.CheckAndRecord("7005.0 ja1xyz/p"));
    EXPECT_EQ(table.Entry(1), "7005.0 JA1XYZ/P");
    EXPECT_EQ(table.Entry(0), "");
}

TEST(DupeTableTest, ForgottenKey_NoLongerMatchesItsBeginning) {
    CDupeTable table;
    table.SetLength(1);
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    EXPECT_FALSE(table.CheckAndRecord("7005.0 JA1XYZ"));
    EXPECT_EQ(table.Entry(0), "7005.0 JA1XYZ");
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1AB"));
    EXPECT_TRUE(table.CheckAndRecord("14025.0 K1AB"));
    EXPECT_FALSE(table.CheckAndRecord("7005.0 JA1XYZ"));
}

TEST(DupeTableTest, LengthZeroOrLess_NothingIsDupeNothingStored) {
    CDupeTable table;
    EXPECT_EQ(table.Length(), 0);
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    table.SetLength(-5);
    EXPECT_EQ(table.Length(), 0);
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    EXPECT_EQ(table.Index(), 0);
}

TEST(DupeTableTest, SetLength_DiscardsKeysAndRestartsAtPosition1) {
    CDupeTable table;
    table.SetLength(3);
    EXPECT_FALSE(table.CheckAndRecord("14025.0 K1ABC"));
    EXPECT_FALSE(table.CheckAndRecord("7005.0 JA1XYZ"));
    table.SetLength(2);
    EXPECT_EQ(table.Length(), 2);
    EXPECT_EQ(table.Index(), 0);
    EXPECT_EQ(table.Entry(0), "");
    EXPECT_EQ(table.Entry(1), "");
    EXPECT_FALSE(table.CheckAndRecord("7005.0 JA1XYZ"));
    EXPECT_EQ(table.Index(), 1);
}

// The ring with a plain scan of every entry, as the table must behave.
class CLinearRing {
  public:
    explicit CLinearRing(int n) : m_ring(static_cast<std::size_t>(n)) {}
    bool CheckAndRecord(const std::string& key) {
        for (const std::string& entry : m_ring) {
            if (!entry.empty() && entry.compare(0, key.size(), key) == 0) {
                return true;
            }
        }
        m_index = (m_index + 1) % static_cast<int>(m_ring.size());
        m_ring[static_cast<std::size_t>(m_index)] = key;
        return false;
    }
    int Index() const { return m_index; }
    const std::string& Entry(int i) const { return m_ring[static_cast<std::size_t>(i)]; }

  private:
    std::vector<std::string> m_ring;
    int m_index = 0;
};

TEST(DupeTableTest, LongRun_AgreesWithPlainScanOfTheRing) {
    // Short keys over a small alphabet, so that prefixes and repeats are common
    // and keys are forgotten while their prefixes are still being checked.
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> length(1, 4);
    std::uniform_int_distribution<int> letter(0, 2);
    for (int ringLength : {1, 3, 7, 50}) {
        CDupeTable table;
        table.SetLength(ringLength);
        CLinearRing reference(ringLength);
        for (int step = 0; step < 4000; ++step) {
            std::string key;
            for (int i = length(random); i > 0; --i) {
                key += static_cast<char>('A' + letter(random));
            }
            ASSERT_EQ(table.CheckAndRecord(key), reference.CheckAndRecord(key))
                << "length " << ringLength << " step " << step << " key " << key;
        }
    }
}

TEST(DupeTableTest, LongRun_KeysOfSpots_AgreeWithPlainScanOfUpperCaseRing) {
    // Few frequencies, some alike but for their end, and calls over a small
    // alphabet in both cases, so that bucket mates, prefixes and repeats are
    // common; some keys or frequencies are longer than a slot holds in place,
    // some keys have no blank or no call.
    const std::string frequencies[] = {
        "14025.0",           "14025.00", "14025", "7005.0", "1", "", std::string(40, '7'),
        std::string(31, '3')};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> frequency(0, std::size(frequencies));
    std::uniform_int_distribution<int> shortCall(0, 4);
    std::uniform_int_distribution<int> longCall(24, 40);
    std::uniform_int_distribution<int> percent(0, 99);
    const char letters[] = "aAbB/";
    std::uniform_int_distribution<int> letter(0, 4);
    for (int ringLength : {1, 2, 7, 50, 300}) {
        CDupeTable table;
        table.SetLength(ringLength);
        CLinearRing reference(ringLength);
        CDupeKey key;
        for (int step = 0; step < 20000; ++step) {
            std::string call;
            for (int i = percent(random) < 10 ? longCall(random) : shortCall(random); i > 0; --i) {
                call += letters[letter(random)];
            }
            const std::size_t f = frequency(random);
            std::string text = f < std::size(frequencies) ? frequencies[f] + " " + call : call;
            bool dupe;
            if (f < std::size(frequencies) && percent(random) < 50) {
                key.Set(frequencies[f], call);
                dupe = table.CheckAndRecord(key);
            } else {
                dupe = table.CheckAndRecord(text);
            }
            for (char& c : text) {
                c = ascii::Upper(c);
            }
            ASSERT_EQ(dupe, reference.CheckAndRecord(text))
                << "length " << ringLength << " step " << step << " key " << text;
            ASSERT_EQ(table.Index(), reference.Index());
            ASSERT_EQ(table.Entry(table.Index()), reference.Entry(reference.Index()));
        }
    }
}

} // namespace
