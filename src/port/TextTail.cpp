#include "port/TextTail.h"

#include <algorithm>

void CTextTail::Append(std::string_view text) {
    // A read of a busy link holds hundreds of lines; only the newest Lines
    // whole ones and the open one can still be seen, so what ends before
    // them is skipped, with the open line it finished.
    std::size_t end = text.size();
    std::size_t ends = 0;
    while (end > 0 && ends <= Lines) {
        const std::size_t lf = text.rfind('\n', end - 1);
        if (lf == std::string_view::npos) {
            break;
        }
        ++ends;
        end = lf;
    }
    if (ends > Lines) {
        text.remove_prefix(end + 1);
        m_open.clear();
        m_count = Lines;
    }
    for (;;) {
        const std::size_t lf = text.find('\n');
        AppendToOpen(text.substr(0, lf));
        if (lf == std::string_view::npos) {
            return;
        }
        FinishLine();
        text.remove_prefix(lf + 1);
    }
}

void CTextTail::AppendToOpen(std::string_view piece) {
    while (!piece.empty() && m_open.size() < MaxLine) {
        const std::size_t cr = piece.find('\r');
        const std::string_view part = piece.substr(0, cr);
        m_open.append(part.substr(0, MaxLine - m_open.size()));
        if (cr == std::string_view::npos) {
            return;
        }
        piece.remove_prefix(cr + 1);
    }
}

void CTextTail::FinishLine() {
    m_ring[m_next].swap(m_open);
    m_open.clear();
    m_next = (m_next + 1) % Lines;
    m_count = std::min(m_count + 1, Lines);
}

std::vector<std::string> CTextTail::Newest() const {
    std::vector<std::string> lines;
    lines.reserve(m_count + 1);
    for (std::size_t i = 0; i < m_count; ++i) {
        lines.push_back(m_ring[(m_next + Lines - m_count + i) % Lines]);
    }
    if (!m_open.empty()) {
        lines.push_back(m_open);
    }
    return lines;
}
