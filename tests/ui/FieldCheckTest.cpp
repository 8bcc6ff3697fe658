#include "ui/FieldCheck.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct IntegerRow {
    const char* name;
    std::string text;
    bool accepted;
    int value;
};

class FieldCheckIntegerTest : public ::testing::TestWithParam<IntegerRow> {};

} // namespace

TEST_P(FieldCheckIntegerTest, ReadsAnIntegerOrRefuses) {
    int value = -12345;
    auto problem = CFieldCheck::Integer(GetParam().text, value);
    if (GetParam().accepted) {
        EXPECT_FALSE(problem.has_value());
        EXPECT_EQ(value, GetParam().value);
    } else {
        EXPECT_EQ(problem, std::optional<std::string>("Please enter an integer."));
        EXPECT_EQ(value, -12345);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldCheckIntegerTest,
    ::testing::Values(
        IntegerRow{"Plain", "32000", true, 32000}, IntegerRow{"BlanksAround", "  60 ", true, 60},
        IntegerRow{"Negative", "-13", true, -13}, IntegerRow{"PlusSign", "+5", true, 5},
        IntegerRow{"Largest", "2147483647", true, INT_MAX}, IntegerRow{"Empty", "", false, 0},
        IntegerRow{"Blank", "   ", false, 0}, IntegerRow{"TrailingLetters", "12abc", false, 0},
        IntegerRow{"TwoSigns", "+-5", false, 0}, IntegerRow{"Decimal", "1.5", false, 0},
        IntegerRow{"TooLarge", "2147483648", false, 0}),
    [](const ::testing::TestParamInfo<IntegerRow>& info) { return std::string(info.param.name); });

TEST(FieldCheckTest, Range_MessageNamesTheLimits) {
    int value = 0;
    EXPECT_FALSE(CFieldCheck::IntegerInRange("0", 0, 1000, value).has_value());
    EXPECT_EQ(CFieldCheck::IntegerInRange("1001", 0, 1000, value),
              std::optional<std::string>("Please enter an integer between 0 and 1000."));
    EXPECT_EQ(CFieldCheck::IntegerInRange("x", 0, 1000, value),
              std::optional<std::string>("Please enter an integer."));
}

TEST(FieldCheckTest, MaxChars_MessageNamesTheLimit) {
    EXPECT_FALSE(CFieldCheck::MaxChars("G4ABC", 16).has_value());
    EXPECT_EQ(CFieldCheck::MaxChars("G4ABCDEFGHIJKLMNO", 16),
              std::optional<std::string>("Please enter no more than 16 characters."));
}
