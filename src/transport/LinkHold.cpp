#include "transport/LinkHold.h"

#include <utility>

CLinkHold::CLinkHold(std::size_t limit) : m_limit(limit) {}

void CLinkHold::Hold(std::string_view line) {
    if (line.size() > m_limit) {
        ++m_dropped;
        return;
    }
    while (WouldPass(line.size())) {
        DropOldest();
    }
    m_lines.emplace_back(line);
    m_bytes += line.size();
}

void CLinkHold::DropOldest() {
    m_bytes -= m_lines.front().size();
    m_lines.pop_front();
    if (m_sent > 0) {
        --m_sent;
    } else {
        ++m_dropped;
    }
}

void CLinkHold::Acknowledged(std::size_t unacked) {
    std::size_t tail = 0;
    std::size_t keep = 0;
    while (keep < m_sent && tail < unacked) {
        tail += m_lines[m_sent - 1 - keep].size();
        ++keep;
    }
    for (std::size_t n = m_sent - keep; n > 0; --n) {
        m_bytes -= m_lines.front().size();
        m_lines.pop_front();
    }
    m_sent = keep;
}

void CLinkHold::Clear() {
    m_lines.clear();
    m_sent = 0;
    m_bytes = 0;
    m_dropped = 0;
}

std::size_t CLinkHold::TakeDropped() {
    return std::exchange(m_dropped, 0);
}
