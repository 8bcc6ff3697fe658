#include "ui/CommandHistory.h"

#include <algorithm>

void CCommandHistory::Store(const std::string& text) {
    if (text.empty() || text == m_entries[0]) {
        return;
    }
    std::move_backward(m_entries.begin(), m_entries.end() - 1, m_entries.end());
    m_entries[0] = text;
}

void CCommandHistory::OnEnter(const std::string& text) {
    Store(text);
    m_position = -1;
}

std::string CCommandHistory::Up(const std::string& typed) {
    if (!typed.empty() && m_position == -1) {
        Store(typed);
        m_position = 0;
    }
    if (m_position < Size - 1) {
        ++m_position;
        if (Entry(m_position).empty() && m_position > 0) {
            --m_position;
        }
    }
    return m_position >= 0 ? Entry(m_position) : std::string();
}

std::string CCommandHistory::Down() {
    if (m_position >= 0) {
        --m_position;
    }
    return m_position == -1 ? std::string() : Entry(m_position);
}
