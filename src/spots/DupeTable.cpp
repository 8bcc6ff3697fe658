#include "spots/DupeTable.h"

#include "text/AsciiText.h"

#include <algorithm>

namespace {

bool BeginsWith(const std::string& stored, std::string_view key) {
    return stored.size() >= key.size() && std::string_view(stored).substr(0, key.size()) == key;
}

} // namespace

void CDupeTable::SetLength(int n) {
    const auto length = static_cast<std::size_t>(std::max(n, 0));
    m_ring.assign(length, std::string{});
    m_next.assign(length, None);
    m_bucket.assign(length, 0);
    std::size_t buckets = 1;
    while (buckets < 2 * length) {
        buckets *= 2;
    }
    m_heads.assign(length == 0 ? 0 : buckets, None);
    m_index = 0;
}

void CDupeTable::Unlink(int slot) {
    int* link = &m_heads[m_bucket[static_cast<std::size_t>(slot)]];
    while (*link != None && *link != slot) {
        link = &m_next[static_cast<std::size_t>(*link)];
    }
    if (*link == slot) {
        *link = m_next[static_cast<std::size_t>(slot)];
    }
}

bool CDupeTable::CheckAndRecord(std::string_view key) {
    if (m_ring.empty()) {
        return false;
    }
    // One pass makes the upper-case key and hashes its bucket part (up to
    // and including the first blank).
    m_key.resize(key.size());
    std::uint32_t hash = 2166136261u;
    bool blank = false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = ascii::Upper(key[i]);
        m_key[i] = c;
        if (!blank) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
            blank = c == ' ';
        }
    }
    const std::size_t bucket = hash & (m_heads.size() - 1);
    if (blank) {
        for (int s = m_heads[bucket]; s != None; s = m_next[static_cast<std::size_t>(s)]) {
            if (BeginsWith(m_ring[static_cast<std::size_t>(s)], m_key)) {
                return true;
            }
        }
    } else if (std::any_of(m_ring.begin(), m_ring.end(), [this](const std::string& stored) {
                   return !stored.empty() && BeginsWith(stored, m_key);
               })) {
        return true;
    }

    m_index = (m_index + 1) % Length();
    const auto slot = static_cast<std::size_t>(m_index);
    if (!m_ring[slot].empty()) {
        Unlink(m_index);
    }
    m_ring[slot] = m_key;
    if (!m_key.empty()) {
        m_bucket[slot] = static_cast<std::uint32_t>(bucket);
        m_next[slot] = m_heads[bucket];
        m_heads[bucket] = m_index;
    }
    return false;
}
