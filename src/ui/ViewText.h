#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a port window's traffic view holds, without the widget.
//
// Printed text is folded (every CR or LF is one line break, and a CR or LF
// directly followed by another CR or LF makes one line break with it; a
// print that is one line end alone adds nothing after a line end), cut
// into pieces of at most 255 characters, and each piece is appended after
// trimming: while the view holds more than 8000 characters, its first 2000
// go before the next piece is added. A line break counts as one character.
//
// The widget repaints from TakeChange at its own pace, so many small prints
// cost one update while what is shown obeys the same trimming rule.
class CViewText {
  public:
    static constexpr std::size_t TrimAbove = 8000;
    static constexpr std::size_t TrimCount = 2000;
    // A piece ends once it holds this many characters or more.
    static constexpr std::size_t PieceEnd = 254;

    // lineStamp goes before each line that begins in text.
    void Print(std::string_view text, std::string_view lineStamp = {});
    void Clear();
    const std::string& Text() const { return m_text; }

    // What changed since the last TakeChange: characters gone from the front
    // of what was taken then, and the text added at the end. When more went
    // than was taken, the whole text is to be shown afresh.
    struct Change {
        bool replaceAll = false;
        std::size_t removedFront = 0;
        std::string appended;
        bool Empty() const { return !replaceAll && removedFront == 0 && appended.empty(); }
    };
    Change TakeChange();

  private:
    void AppendPiece(const std::string& piece);

    std::string m_text;
    std::size_t m_takenLength = 0;
    std::size_t m_removedSinceTake = 0;
    bool m_cleared = false;
    bool m_atLineStart = true;
};
