#include "port/TextTail.h"

void CTextTail::Append(std::string_view text) {
    for (char c : text) {
        if (c == '\n') {
            Push(std::move(m_open));
            m_open.clear();
        } else if (c != '\r' && m_open.size() < MaxLine) {
            m_open += c;
        }
    }
}

void CTextTail::Push(std::string line) {
    m_lines.push_back(std::move(line));
    if (m_lines.size() > Lines) {
        m_lines.pop_front();
    }
}

std::vector<std::string> CTextTail::Newest() const {
    std::vector<std::string> lines(m_lines.begin(), m_lines.end());
    if (!m_open.empty()) {
        lines.push_back(m_open);
    }
    return lines;
}
