#include "filters/CallPattern.h"

#include "text/AsciiText.h"

namespace {

constexpr std::size_t MaxPattern = 16;

} // namespace

bool CCallPattern::Matches(std::string_view pattern, std::string_view call) {
    // Greedy matching with one back-track point, the last "*": linear for
    // patterns with one star, at most pattern × call steps otherwise.
    std::size_t p = 0;
    std::size_t c = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starC = 0;
    while (c < call.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starC = c;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || ascii::Upper(pattern[p]) == ascii::Upper(call[c]))) {
            ++p;
            ++c;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            c = ++starC;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool CCallPattern::IsValid(std::string_view pattern) {
    if (pattern.empty() || pattern.size() > MaxPattern) {
        return false;
    }
    for (char c : pattern) {
        if (!ascii::IsLetter(c) && !ascii::IsDigit(c) && c != '/' && c != '-' && c != '#' &&
            c != '@' && c != '*' && c != '?') {
            return false;
        }
    }
    return true;
}
