#include "spots/LoopMark.h"

#include <gtest/gtest.h>

#include <string>

namespace {

RouterOptions Options(std::string prefix, std::string call) {
    RouterOptions options;
    options.AntiLoopPrefix = std::move(prefix);
    options.MyCall = std::move(call);
    return options;
}

struct AddRow {
    const char* name;
    const char* prefix;
    const char* call;
    std::string comment;
    std::string expected;
};

class AddLoopMarkTest : public testing::TestWithParam<AddRow> {};

TEST_P(AddLoopMarkTest, ShortensAndAppendsMark) {
    const AddRow& row = GetParam();
    std::string comment = row.comment;
    AddLoopMark(comment, Options(row.prefix, row.call));
    EXPECT_EQ(comment, row.expected);
}

const AddRow kAddRows[] = {
    {"ShortComment_MarkAppended", " <", "W1AW", "cq cq", "cq cq <W1AW"},
    {"EmptyComment_MarkOnly", " <", "W1AW", "", " <W1AW"},
    {"DefaultPrefix_TwoBlanksBeforeCall", "  <", "MYCALL", "up 2", "up 2  <MYCALL"},
    {"Exactly25_NotShortenedBeforeMark", "<", "K1", "abcdefghij klmnopqrst uvw",
     "abcdefghij klmnopqrst uvw<K1"},
    {"BlankAtPosition25_CutBeforeIt", "<", "K1", "abcdefghijklmnopqrstuvwx yz",
     "abcdefghijklmnopqrstuvwx<K1"},
    {"LastBlankBefore25_CutTo24", "<", "K1", "abcdefghij klmnopqrst uvwx",
     "abcdefghij klmnopqrst uv<K1"},
    {"NoBlankAfterPosition25_CutTo24", " <", "W1AW", "CQ 0123456789012345678901234567890",
     "CQ 012345678901234567890 <W1AW"},
    {"LongComment_CutToRoomLeftByMark", " <", "W1AW", "CQ CQ CQ contest test XY QRZ up 5",
     "CQ CQ CQ contest test XY <W1AW"},
    {"CutForMarkMayEndInBlank", " <", "W1AW", "CQ CQ CQ CQ contest QSL via bureau",
     "CQ CQ CQ CQ contest QSL  <W1AW"},
    {"ShortCommentLongMark_CutTo30", "  <", "MYCALL", "cq cq dx cq cq dx cq cq",
     "cq cq dx cq cq dx cq   <MYCALL"},
    {"EmptyPrefix_ShortenedAtLastBlankOnly", "", "W1AW", "UP 5 listening for EU only pse QRX",
     "UP 5 listening for EU only pse"},
    {"EmptyPrefix_ShortCommentUnchanged", "", "W1AW", "cq cq", "cq cq"},
    {"Over79_BlankBeyondWorkingCopyIgnored", "", "W1AW", std::string(89, 'x') + " yz",
     std::string(24, 'x')},
    {"MarkLongerThan30_CommentDropped", "<<<<<<<<<<<<<<<<<<<<", "VERYLONGCALL/QRP", "cq",
     "<<<<<<<<<<<<<<<<<<<<VERYLONGCALL/QRP"},
};

INSTANTIATE_TEST_SUITE_P(Comments, AddLoopMarkTest, testing::ValuesIn(kAddRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct HasRow {
    const char* name;
    const char* prefix;
    const char* call;
    const char* comment;
    bool expected;
};

class HasLoopMarkTest : public testing::TestWithParam<HasRow> {};

TEST_P(HasLoopMarkTest, FindsPrefixFollowedByCall) {
    const HasRow& row = GetParam();
    EXPECT_EQ(HasLoopMark(row.comment, Options(row.prefix, row.call)), row.expected);
}

const HasRow kHasRows[] = {
    {"MarkAtEnd", " <", "W1AW", "cq cq <W1AW", true},
    {"MarkInMiddle", " <", "W1AW", "cq <W1AW <K1ABC", true},
    {"LongerCallAfterMark_StillMatches", " <", "W1AW", "cq <W1AWX", true},
    {"PrefixTwice_SecondCarriesCall", " <", "W1AW", "a <b <W1AW", true},
    {"OtherStationsMark", " <", "W1AW", "cq <K1ABC", false},
    {"CallWithoutPrefix", " <", "W1AW", "cq W1AW", false},
    {"CaseDiffers", " <", "W1AW", "cq <w1aw", false},
    {"PartOfPrefixOnly", "  <", "W1AW", "cq <W1AW", false},
    {"CallCutShort", " <", "W1AW", "cq <W1A", false},
    {"EmptyPrefix_NeverMarked", "", "W1AW", "W1AW", false},
    {"EmptyComment", " <", "W1AW", "", false},
};

INSTANTIATE_TEST_SUITE_P(Comments, HasLoopMarkTest, testing::ValuesIn(kHasRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoopMarkTest, AddThenHas_MarkedCommentIsRecognised) {
    const RouterOptions options = Options("  <", "MYCALL");
    std::string comment = "CQ CQ CQ contest test XY QRZ up 5";
    AddLoopMark(comment, options);
    EXPECT_EQ(comment, "CQ CQ CQ contest test  <MYCALL");
    EXPECT_TRUE(HasLoopMark(comment, options));
}

} // namespace
