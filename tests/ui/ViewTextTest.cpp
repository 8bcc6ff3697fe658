#include "ui/ViewText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FoldRow {
    const char* name;
    std::string printed;
    std::string shown;
};

class ViewTextFoldTest : public ::testing::TestWithParam<FoldRow> {};

} // namespace

TEST_P(ViewTextFoldTest, LineBreaksFoldPairwise) {
    CViewText view;
    view.Print(GetParam().printed);
    EXPECT_EQ(view.Text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, ViewTextFoldTest,
    ::testing::Values(FoldRow{"TwoLfBecomeOne", "a\n\nb", "a\nb"},
                      FoldRow{"CrLf", "a\r\nb", "a\nb"}, FoldRow{"LfCr", "a\n\rb", "a\nb"},
                      FoldRow{"LfAlone", "a\nb", "a\nb"}, FoldRow{"CrAlone", "a\rb", "a\nb"},
                      FoldRow{"TwoCrLfPairsGiveTwoBreaks", "a\r\n\r\nb", "a\n\nb"},
                      FoldRow{"ThreeLfGiveTwoBreaks", "a\n\n\nb", "a\n\nb"},
                      FoldRow{"SpotLine",
                              "DX de G4ABC:     14025.0  K1XYZ        cw          1200Z\r\n",
                              "DX de G4ABC:     14025.0  K1XYZ        cw          1200Z\n"},
                      FoldRow{"NulDropped", std::string("a\0b", 3), "ab"}),
    [](const ::testing::TestParamInfo<FoldRow>& info) { return std::string(info.param.name); });

TEST(ViewTextTest, Print_SeparateCallsDoNotFoldAcrossTheirBoundary) {
    CViewText view;
    view.Print("COM port loaded\n");
    view.Print("\nCOM: Script Send > G4ABC\n");
    EXPECT_EQ(view.Text(), "COM port loaded\n\nCOM: Script Send > G4ABC\n");
}

TEST(ViewTextTest, Trim_At8001CharactersTheFirst2000GoBeforeTheNextText) {
    CViewText view;
    std::string head(2000, 'h');
    std::string rest(6001, 'r');
    // Pieces of at most 254 characters are appended one by one; none trims
    // while the view holds 8000 or fewer characters.
    view.Print(head);
    view.Print(rest);
    ASSERT_EQ(view.Text().size(), 8001u);
    view.Print("X");
    EXPECT_EQ(view.Text().size(), 6002u);
    EXPECT_EQ(view.Text(), rest + "X");
}

TEST(ViewTextTest, Trim_At8000CharactersNothingGoes) {
    CViewText view;
    view.Print(std::string(8000, 'a'));
    view.Print("b");
    EXPECT_EQ(view.Text().size(), 8001u);
}

TEST(ViewTextTest, LongMessage_IsShownWholeInPieces) {
    CViewText view;
    std::string message(600, 'm');
    view.Print(message);
    EXPECT_EQ(view.Text(), message);
    // Trimming happens between pieces: 7900 + 254 crosses 8000, so the
    // third piece of a long message lands after a trim.
    CViewText full;
    full.Print(std::string(7900, 'a'));
    full.Print(std::string(600, 'b'));
    EXPECT_EQ(full.Text(), std::string(5900, 'a') + std::string(600, 'b'));
}

TEST(ViewTextTest, TakeChange_GivesAppendedTextAndFrontRemovals) {
    CViewText view;
    view.Print("one\n");
    auto first = view.TakeChange();
    EXPECT_FALSE(first.replaceAll);
    EXPECT_EQ(first.removedFront, 0u);
    EXPECT_EQ(first.appended, "one\n");
    EXPECT_TRUE(view.TakeChange().Empty());

    view.Print(std::string(7997, 'x'));
    ASSERT_EQ(view.Text().size(), 8001u);
    EXPECT_EQ(view.TakeChange().appended, std::string(7997, 'x'));
    view.Print("tail");
    auto second = view.TakeChange();
    EXPECT_FALSE(second.replaceAll);
    EXPECT_EQ(second.removedFront, 2000u);
    EXPECT_EQ(second.appended, "tail");
    EXPECT_EQ(view.Text().size(), 6005u);
}

TEST(ViewTextTest, TakeChange_WholeTextWhenMoreWentThanWasShown) {
    CViewText view;
    view.Print("shown");
    view.TakeChange();
    view.Print(std::string(12000, 'y'));
    auto change = view.TakeChange();
    EXPECT_TRUE(change.replaceAll);
    EXPECT_EQ(change.appended, view.Text());

    view.Clear();
    auto cleared = view.TakeChange();
    EXPECT_TRUE(cleared.replaceAll);
    EXPECT_EQ(cleared.appended, "");
}

// A cluster's "line\r\n" reaches the console as the line and an empty line,
// each sent with the port's CR LF: one line shows, not a line and a blank one.
TEST(ViewTextTest, Print_LineEndAloneAfterALineEndShowsNoBlankLine) {
    CViewText view;
    view.Print("DX de G4ABC:     14025.0  K1XYZ        cw          1200Z\r\n");
    view.Print("\r\n");
    view.Print("DX de G4ABC:     14026.0  K1XYZ        cw          1201Z\r\n");
    view.Print("\r\n");
    EXPECT_EQ(view.Text(), "DX de G4ABC:     14025.0  K1XYZ        cw          1200Z\n"
                           "DX de G4ABC:     14026.0  K1XYZ        cw          1201Z\n");
}
