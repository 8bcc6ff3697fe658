#include "transport/LineBacklog.h"

#include <algorithm>

void CLineBacklog::SetLength(int lines) {
    m_lines.assign(static_cast<std::size_t>(std::clamp(lines, 0, MaxLength)), std::string());
    m_next = 0;
    m_count = 0;
}

void CLineBacklog::Record(std::string_view text) {
    if (m_lines.empty()) {
        return;
    }
    m_lines[m_next].assign(text);
    m_next = (m_next + 1) % m_lines.size();
    m_count = std::min(m_count + 1, m_lines.size());
}

void CLineBacklog::ForEach(const std::function<void(std::string_view)>& fn) const {
    const std::size_t size = m_lines.size();
    for (std::size_t i = 0; i < m_count; ++i) {
        fn(m_lines[(m_next + size - m_count + i) % size]);
    }
}
