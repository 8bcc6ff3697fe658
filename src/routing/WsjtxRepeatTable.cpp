#include "routing/WsjtxRepeatTable.h"

void CWsjtxRepeatTable::ForgetOldest() {
    const auto& [time, key] = m_order.front();
    const auto found = m_spotted.find(key);
    // A key recorded again later is held by its newer entry.
    if (found != m_spotted.end() && found->second == time) {
        m_spotted.erase(found);
    }
    m_order.pop_front();
}

bool CWsjtxRepeatTable::IsRepeat(const std::string& key, std::int64_t now, std::int64_t interval) {
    if (interval <= 0) {
        return false;
    }
    while (!m_order.empty() && now - m_order.front().first >= interval) {
        ForgetOldest();
    }
    if (m_spotted.count(key) != 0) {
        return true;
    }
    while (m_capacity > 0 && m_spotted.size() >= m_capacity) {
        ForgetOldest();
        ++m_forgotten;
    }
    m_spotted.emplace(key, now);
    m_order.emplace_back(now, key);
    return false;
}
