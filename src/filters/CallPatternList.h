#pragma once

#include "filters/CallPattern.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// The call patterns a rule names for one call ("dx=ZZ9*,*/MM,3Y0*"): a call
// matches the list when it matches any of them.
//
// Every spot of a filtered port meets the lists of its rules, and nearly
// every call matches none of them. The list keeps the first characters its
// "K1ABC" and "VK9*" shapes fix and the last ones its "*/MM" shapes fix, so
// such a call is told apart by two table reads instead of one compare a
// pattern.
class CCallPatternList {
  public:
    void Add(std::string_view pattern);
    void Append(const CCallPatternList& other);

    bool Matches(std::string_view call) const {
        if (m_unfixed == 0 &&
            (call.empty() || ((End(call.front()) & First) | (End(call.back()) & Last)) == 0)) {
            return false;
        }
        for (const CCallPattern& pattern : m_patterns) {
            if (pattern.Matches(call)) {
                return true;
            }
        }
        return false;
    }

    // What a character may be at the ends of a matching call, by character
    // (a letter in both cases, so a test needs no case folding).
    static constexpr std::uint8_t First = 1;
    static constexpr std::uint8_t Last = 2;
    using Ends = std::array<std::uint8_t, 128>;

    // When every pattern fixes an end, a call matches none of them unless
    // EndsOf says First of its first character or Last of its last one.
    bool FixesEnds() const { return m_unfixed == 0; }
    const Ends& EndsOf() const { return m_ends; }

  private:
    std::uint8_t End(char c) const {
        const auto u = static_cast<unsigned char>(c);
        return u < m_ends.size() ? m_ends[u] : 0;
    }

    std::vector<CCallPattern> m_patterns;
    Ends m_ends{};
    // Patterns that fix neither end ("*ABC*", "?1ABC"): with any, every call
    // is tried against the whole list.
    int m_unfixed = 0;
};
