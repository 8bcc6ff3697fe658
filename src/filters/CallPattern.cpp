#include "filters/CallPattern.h"

#include "text/AsciiText.h"

namespace {

constexpr std::size_t MaxPattern = 16;

// True when text holds neither "*" nor "?".
bool IsLiteral(std::string_view text) {
    return text.find_first_of("*?") == std::string_view::npos;
}

bool EqualsUpper(std::string_view call, std::string_view upper) {
    for (std::size_t i = 0; i < upper.size(); ++i) {
        if (ascii::Upper(call[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

CCallPattern::CCallPattern(std::string_view pattern) {
    const bool starFirst = !pattern.empty() && pattern.front() == '*';
    const bool starLast = !pattern.empty() && pattern.back() == '*';
    std::string_view literal = pattern;
    if (IsLiteral(pattern)) {
        m_form = Form::Whole;
    } else if (starLast && IsLiteral(pattern.substr(0, pattern.size() - 1))) {
        m_form = Form::Prefix;
        literal.remove_suffix(1);
    } else if (starFirst && IsLiteral(pattern.substr(1))) {
        m_form = Form::Suffix;
        literal.remove_prefix(1);
    }
    m_text.assign(m_form == Form::General ? pattern : literal);
    if (m_form != Form::General) {
        for (char& c : m_text) {
            c = ascii::Upper(c);
        }
    }
}

bool CCallPattern::Matches(std::string_view call) const {
    switch (m_form) {
    case Form::Prefix:
        return call.size() >= m_text.size() && EqualsUpper(call, m_text);
    case Form::Suffix:
        return call.size() >= m_text.size() &&
               EqualsUpper(call.substr(call.size() - m_text.size()), m_text);
    case Form::Whole:
        return call.size() == m_text.size() && EqualsUpper(call, m_text);
    case Form::General:
        break;
    }
    return Matches(m_text, call);
}

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
