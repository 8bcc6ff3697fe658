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
// such a call is told apart by two bit tests instead of one compare a
// pattern.
class CCallPatternList {
  public:
    void Add(std::string_view pattern);
    void Append(const CCallPatternList& other);
    bool Empty() const { return m_patterns.empty(); }
    std::size_t Size() const { return m_patterns.size(); }

    bool Matches(std::string_view call) const {
        if (m_unfixed == 0 &&
            (call.empty() || (!Holds(m_firsts, call.front()) && !Holds(m_lasts, call.back())))) {
            return false;
        }
        for (const CCallPattern& pattern : m_patterns) {
            if (pattern.Matches(call)) {
                return true;
            }
        }
        return false;
    }

  private:
    // One bit a character; a letter is put in both cases, so a test needs
    // no case folding.
    using CharSet = std::array<std::uint64_t, 2>;

    static bool Holds(const CharSet& set, char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 128 && ((set[u >> 6] >> (u & 63)) & 1u) != 0;
    }
    static void Put(CharSet& set, char c);

    std::vector<CCallPattern> m_patterns;
    CharSet m_firsts{};
    CharSet m_lasts{};
    // Patterns that fix neither end ("*ABC*", "?1ABC"): with any, every call
    // is tried against the whole list.
    int m_unfixed = 0;
};
