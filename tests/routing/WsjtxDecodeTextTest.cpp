#include "routing/WsjtxDecodeText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextRow {
    const char* name;
    const char* message;
    bool cq;
    const char* call; // "" when the message names no caller in that reading
    const char* grid;
    const char* target;
};

class WsjtxDecodeTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(WsjtxDecodeTextTest, ReadsTheCallerOfCqsAndOfSecondWords) {
    const TextRow& row = GetParam();
    WsjtxCaller caller;
    const bool read = row.cq ? CWsjtxDecodeText::ReadCq(row.message, caller)
                             : CWsjtxDecodeText::ReadSecondWord(row.message, caller);
    ASSERT_EQ(read, std::string(row.call) != "");
    if (read) {
        EXPECT_EQ(caller.Call, row.call);
        EXPECT_EQ(caller.Grid, row.grid);
        EXPECT_EQ(caller.Target, row.target);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, WsjtxDecodeTextTest,
    ::testing::Values(TextRow{"CqWithGrid", "CQ K1ABC FN42", true, "K1ABC", "FN42", ""},
                      TextRow{"CqDx", "CQ DX K1ABC FN42", true, "K1ABC", "FN42", "DX"},
                      TextRow{"CqNaWithoutGrid", "CQ NA K1ABC", true, "K1ABC", "", "NA"},
                      TextRow{"CqPota", "CQ POTA K1ABC FN42", true, "K1ABC", "FN42", "POTA"},
                      TextRow{"CqOnKilohertz", "CQ 145 K1ABC FN42", true, "K1ABC", "FN42", "145"},
                      TextRow{"CqCompoundCall", "CQ PJ4/K1ABC", true, "PJ4/K1ABC", "", ""},
                      TextRow{"CqHashedCall", "CQ <PJ4/K1ABC> FN42", true, "PJ4/K1ABC", "FN42", ""},
                      TextRow{"CqSixCharacterGrid", "CQ K1ABC FN42ab", true, "K1ABC", "FN42ab", ""},
                      TextRow{"CqTargetTooLong", "CQ TESTS K1ABC FN42", true, "", "", ""},
                      TextRow{"CqOfNoCall", "CQ DX FN42", true, "", "", ""},
                      TextRow{"CqAlone", "CQ", true, "", "", ""},
                      TextRow{"QrzIsNoCq", "QRZ K1ABC FN42", true, "", "", ""},
                      TextRow{"LowerCaseIsNoCall", "CQ k1abc FN42", true, "", "", ""},
                      TextRow{"ReplyWithReport", "G4XYZ K1ABC -12", false, "K1ABC", "", ""},
                      TextRow{"ReplyWithGrid", "G4XYZ K1ABC FN42", false, "K1ABC", "FN42", ""},
                      TextRow{"SignOffIsNoGrid", "G4XYZ K1ABC RR73", false, "K1ABC", "", ""},
                      TextRow{"FreeText", "TNX BOB 73 GL", false, "", "", ""},
                      TextRow{"GridIsNoCall", "G4XYZ FN42 RR73", false, "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
