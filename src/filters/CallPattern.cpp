#include "filters/CallPattern.h"

#include "text/AsciiText.h"

namespace {

constexpr std::size_t MaxPattern = 16;

// The upper-case piece against as many characters of text, "?" matching any.
bool PieceMatches(std::string_view piece, const char* text) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] != '?' && piece[i] != ascii::Upper(text[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

CCallPattern::CCallPattern(std::string_view pattern) : m_pattern(pattern) {
    for (char& c : m_pattern) {
        c = ascii::Upper(c);
    }
    const std::string_view text = m_pattern;
    const std::size_t first = text.find('*');
    const std::size_t last = text.rfind('*');
    std::string_view piece;
    if (first == std::string_view::npos) {
        m_shape = Shape::Whole;
        piece = text;
    } else if (first == last && last + 1 == text.size()) {
        m_shape = Shape::Prefix;
        piece = text.substr(0, first);
    } else if (first == last && first == 0) {
        m_shape = Shape::Suffix;
        piece = text.substr(1);
    } else if (first == 0 && last + 1 == text.size() &&
               text.substr(1, last - 1).find('*') == std::string_view::npos) {
        m_shape = Shape::Inside;
        piece = text.substr(1, last - 1);
    }
    if (piece.size() > MaxPiece) {
        m_shape = Shape::Other;
        return;
    }
    piece.copy(m_piece.data(), piece.size());
    m_pieceSize = piece.size();
    if (!piece.empty() && (m_shape == Shape::Whole || m_shape == Shape::Prefix)) {
        m_end = piece.front();
    } else if (!piece.empty() && m_shape == Shape::Suffix) {
        m_end = piece.back();
        m_endAtBack = true;
    }
    if (m_end == '?') {
        m_end = '\0';
    }
}

bool CCallPattern::MatchesRest(std::string_view call) const {
    const std::string_view piece(m_piece.data(), m_pieceSize);
    const std::size_t n = m_pieceSize;
    switch (m_shape) {
    case Shape::Whole:
        return call.size() == n && PieceMatches(piece, call.data());
    case Shape::Prefix:
        return call.size() >= n && PieceMatches(piece, call.data());
    case Shape::Suffix:
        return call.size() >= n && PieceMatches(piece, call.data() + call.size() - n);
    case Shape::Inside:
        for (std::size_t at = 0; at + n <= call.size(); ++at) {
            if (PieceMatches(piece, call.data() + at)) {
                return true;
            }
        }
        return false;
    case Shape::Other:
        break;
    }
    return Matches(m_pattern, call);
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
