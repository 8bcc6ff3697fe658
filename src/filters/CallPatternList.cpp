#include "filters/CallPatternList.h"

void CCallPatternList::Put(CharSet& set, char c) {
    const char lower = ascii::IsLetter(c) ? static_cast<char>(c | 0x20) : c;
    for (const char each : {ascii::Upper(c), lower}) {
        const auto u = static_cast<unsigned char>(each);
        if (u < 128) {
            set[u >> 6] |= std::uint64_t{1} << (u & 63);
        }
    }
}

void CCallPatternList::Add(std::string_view pattern) {
    const CCallPattern& added = m_patterns.emplace_back(pattern);
    if (added.FixedEnd() == '\0') {
        ++m_unfixed;
    } else {
        Put(added.FixedAtBack() ? m_lasts : m_firsts, added.FixedEnd());
    }
}

void CCallPatternList::Append(const CCallPatternList& other) {
    m_patterns.insert(m_patterns.end(), other.m_patterns.begin(), other.m_patterns.end());
    for (std::size_t i = 0; i < m_firsts.size(); ++i) {
        m_firsts[i] |= other.m_firsts[i];
        m_lasts[i] |= other.m_lasts[i];
    }
    m_unfixed += other.m_unfixed;
}
