#include "transport/TelnetFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FilterRow {
    const char* name;
    std::string received;
    std::string passedOn;
    std::string answered;
};

class TelnetFilterTest : public ::testing::TestWithParam<FilterRow> {};

TEST_P(TelnetFilterTest, Apply_RefusesDoAndBlanksCommandBytes) {
    const FilterRow& row = GetParam();
    std::string data = row.received;
    std::string answered;
    int answers = 0;

    CTelnetFilter::Apply(data.data(), static_cast<int>(data.size()),
                         [&](const char* bytes, int len) {
                             EXPECT_EQ(len, 3);
                             answered.append(bytes, static_cast<std::size_t>(len));
                             ++answers;
                         });

    EXPECT_EQ(data, row.passedOn);
    EXPECT_EQ(answered, row.answered);
    EXPECT_EQ(answers * 3, static_cast<int>(row.answered.size()));
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Rows, TelnetFilterTest,
    ::testing::Values(
        FilterRow{"DoEchoRefused", "\xff\xfd\x01"s, "  \x01"s, "\xff\xfc\x01"s},
        FilterRow{"DoOptionZeroRefusedWithThreeBytes", "\xff\xfd\x00"s, "  \x00"s, "\xff\xfc\x00"s},
        FilterRow{"DoTerminalTypeBeforeLoginPrompt", "\xff\xfd\x18login: "s, "  \x18login: "s,
                  "\xff\xfc\x18"s},
        FilterRow{"WillNotAnswered", "\xff\xfb\x03"s, "  \x03"s, ""s},
        FilterRow{"WontAndDontNotAnswered", "\xff\xfc\x01\xff\xfe\x01"s, "  \x01  \x01"s, ""s},
        FilterRow{"TwoDoRequestsEachRefused", "\xff\xfd\x01\xff\xfd\x1f"s, "  \x01  \x1f"s,
                  "\xff\xfc\x01\xff\xfc\x1f"s},
        FilterRow{"SplitCommandNotRecognised", "login:\xff\xfd"s, "login:  "s, ""s},
        FilterRow{"SubnegotiationMarkersPass", "\xfa\x18\xf0"s, "\xfa\x18\xf0"s, ""s},
        FilterRow{"PlainSpotUntouched", "DX de K1ABC:     14025.0  W1AW\r\n"s,
                  "DX de K1ABC:     14025.0  W1AW\r\n"s, ""s}),
    [](const ::testing::TestParamInfo<FilterRow>& info) { return info.param.name; });

} // namespace
