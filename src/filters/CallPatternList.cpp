#include "filters/CallPatternList.h"

void CCallPatternList::Add(std::string_view pattern) {
    const CCallPattern& added = m_patterns.emplace_back(pattern);
    const char end = added.FixedEnd();
    if (end == '\0') {
        ++m_unfixed;
        return;
    }
    const char lower = ascii::IsLetter(end) ? static_cast<char>(end | 0x20) : end;
    for (const char each : {end, lower}) {
        const auto u = static_cast<unsigned char>(each);
        if (u < m_ends.size()) {
            m_ends[u] |= added.FixedAtBack() ? Last : First;
        }
    }
}

void CCallPatternList::Append(const CCallPatternList& other) {
    m_patterns.insert(m_patterns.end(), other.m_patterns.begin(), other.m_patterns.end());
    for (std::size_t i = 0; i < m_ends.size(); ++i) {
        m_ends[i] |= other.m_ends[i];
    }
    m_unfixed += other.m_unfixed;
}
