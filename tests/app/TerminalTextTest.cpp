#include "app/TerminalText.h"

#include <gtest/gtest.h>

namespace {

struct TextRow {
    const char* name;
    std::vector<std::string> pieces;
    const char* prefix;
    const char* expected;
};

void PrintTo(const TextRow& row, std::ostream* os) {
    *os << row.name;
}

class TerminalTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(TerminalTextTest, Format_OneLfPerLineEndAndThePrefixOnEachLine) {
    CTerminalText text;
    std::string out;
    for (const std::string& piece : GetParam().pieces) {
        out += text.Format(piece, GetParam().prefix);
    }
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TerminalTextTest,
    ::testing::Values(TextRow{"CrLf", {"CON: Port connected\r\n"}, "", "CON: Port connected\n"},
                      TextRow{"LfCrIsOneEnd", {"a\n\rb\n"}, "", "a\nb\n"},
                      TextRow{"TwoLfAreOneEnd", {"a\n\nb"}, "", "a\nb"},
                      TextRow{"ThreeLfAreTwoEnds", {"a\n\n\nb"}, "", "a\n\nb"},
                      TextRow{"LoneCr", {"a\rb\r"}, "", "a\nb\n"},
                      TextRow{"PrefixEachLine",
                              {"LOG: Port connected\nDX 14025.0 VP8LP CQ\r\n"},
                              "LOG| ",
                              "LOG| LOG: Port connected\nLOG| DX 14025.0 VP8LP CQ\n"},
                      TextRow{"PrefixOncePerLineAcrossPieces",
                              {"PC11^14025.0", "^VP8LP\n", "x"},
                              "N| ",
                              "N| PC11^14025.0^VP8LP\nN| x"},
                      TextRow{"EmptyLineGetsItsPrefix", {"\n"}, "N| ", "N| \n"},
                      TextRow{"EscapeSequenceShownNotSent",
                              {std::string("x\x1b[2J\x07\x7f\ty\n", 10)},
                              "T| ",
                              "T| x^[[2J^G^?\ty\n"},
                      TextRow{"HighBytesPass", {"\xe9t\xe9\n"}, "", "\xe9t\xe9\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
