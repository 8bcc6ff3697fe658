#include "port/TextTail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TextTailTest, Newest_WholeLinesFromPiecesOldestDroppedOpenLineLast) {
    CTextTail tail;
    for (std::size_t i = 0; i < CTextTail::Lines; ++i) {
        tail.Append("line " + std::to_string(i) + "\r\n");
    }
    tail.Append("DX de DL1ABC:    14025.2  K1A");
    tail.Append("BC  CW 24 dB\nCLUSTER: Port con");
    const std::vector<std::string> lines = tail.Newest();
    ASSERT_EQ(lines.size(), CTextTail::Lines + 1);
    EXPECT_EQ(lines.front(), "line 1");
    EXPECT_EQ(lines[lines.size() - 2], "DX de DL1ABC:    14025.2  K1ABC  CW 24 dB");
    EXPECT_EQ(lines.back(), "CLUSTER: Port con");
}

TEST(TextTailTest, Append_LongLineCutAtMaxLineCarriageReturnsDropped) {
    CTextTail tail;
    tail.Append(std::string(150, 'a') + "\r" + std::string(150, 'b') + "\r\n");
    tail.Append("\r\n");
    const std::vector<std::string> lines = tail.Newest();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(150, 'a') + std::string(50, 'b'));
    EXPECT_EQ(lines[1], "");
}

TEST(TextTailTest, Append_OneLongPieceShowsWhatLineByLinePiecesShow) {
    std::string text = "open before ";
    for (int i = 0; i < 50; ++i) {
        text += "line " + std::to_string(i) + (i % 2 == 0 ? "\r\n" : "\n");
    }
    text += "open after";
    for (const std::size_t cut : {text.size(), text.find("line 29"), text.find("line 30") - 1}) {
        CTextTail whole;
        whole.Append("first\nsecond\nhalf ");
        whole.Append(text.substr(0, cut));
        whole.Append(text.substr(cut));
        CTextTail pieces;
        pieces.Append("first\nsecond\nhalf ");
        for (const char c : text) {
            pieces.Append(std::string_view(&c, 1));
        }
        EXPECT_EQ(whole.Newest(), pieces.Newest()) << cut;
    }
}
