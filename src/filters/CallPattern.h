#pragma once

#include "text/AsciiText.h"

#include <array>
#include <string>
#include <string_view>

// A call pattern of a filter rule: "*" stands for any run of characters,
// "?" for one character, letters match in either case ("VK9*", "*/MM",
// "K?ABC").
//
// A pattern made ready once (the constructor) tells its common shapes
// apart, so a check of "K1ABC", "VK9*", "*/MM" or "*/*" is one compare of
// the call's ends rather than a walk with back-tracking.
class CCallPattern {
  public:
    explicit CCallPattern(std::string_view pattern);
    bool Matches(std::string_view call) const {
        // Most calls differ from a pattern in its first or last character.
        if (m_end != '\0' &&
            (call.empty() || m_end != ascii::Upper(m_endAtBack ? call.back() : call.front()))) {
            return false;
        }
        return MatchesRest(call);
    }

    // The character a matching call must begin with (or, FixedAtBack, end
    // with), in upper case; '\0' when the pattern fixes neither.
    char FixedEnd() const { return m_end; }
    bool FixedAtBack() const { return m_endAtBack; }

    static bool Matches(std::string_view pattern, std::string_view call);
    // Letters, digits, "/", "-", "#", "@", "*" and "?" only, 1 to 16 of them.
    static bool IsValid(std::string_view pattern);

  private:
    bool MatchesRest(std::string_view call) const;

    enum class Shape { Whole, Prefix, Suffix, Inside, Other };

    static constexpr std::size_t MaxPiece = 16;

    std::string m_pattern; // upper case
    // The part of the pattern between the stars a shape has.
    std::array<char, MaxPiece> m_piece{};
    std::size_t m_pieceSize = 0;
    Shape m_shape = Shape::Other;
    // The character a call must begin with (or, m_endAtBack, end with) to
    // match; '\0' when the pattern does not fix one.
    char m_end = '\0';
    bool m_endAtBack = false;
};
