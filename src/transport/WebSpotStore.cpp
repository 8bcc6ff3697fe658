#include "transport/WebSpotStore.h"

#include "text/AsciiText.h"

#include <cmath>

void CWebSpotStore::SetKeep(std::size_t count, int minutes) {
    m_count = count;
    m_minutes = minutes;
    Trim();
}

void CWebSpotStore::Add(Entry entry, std::int64_t now) {
    m_entries.push_back(std::move(entry));
    ++m_version;
    Trim();
    Expire(now);
}

void CWebSpotStore::Trim() {
    while (m_entries.size() > m_count) {
        m_entries.pop_front();
        ++m_version;
    }
}

void CWebSpotStore::Expire(std::int64_t now) {
    const std::int64_t oldest = now - std::int64_t{m_minutes} * 60;
    while (!m_entries.empty() && m_entries.front().arrived < oldest) {
        m_entries.pop_front();
        ++m_version;
    }
}

std::string CWebSpotStore::Array(const Query& query) const {
    std::string out = "[";
    std::size_t taken = 0;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (query.limit != 0 && taken == query.limit) {
            break;
        }
        if ((!query.band.empty() && !ascii::EqualsIgnoringCase(query.band, it->band)) ||
            (!query.mode.empty() && !ascii::EqualsIgnoringCase(query.mode, it->mode)) ||
            (!query.since.empty() && it->when < query.since)) {
            continue;
        }
        if (taken++ != 0) {
            out += ',';
        }
        out += it->json;
    }
    out += ']';
    return out;
}

const CWebSpotStore::Entry* CWebSpotStore::Nearest(double kHz) const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (std::fabs(it->kHz - kHz) <= 0.5) {
            return &*it;
        }
    }
    return nullptr;
}
