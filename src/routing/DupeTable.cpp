#include "routing/DupeTable.h"

#include "routing/AsciiText.h"

#include <algorithm>

namespace {

using ascii::Upper;

// A key as it would be stored: compared against the index without building
// the upper-case string, so a dupe costs no allocation.
struct UpperKey {
    std::string_view text;
};

int Compare(std::string_view stored, UpperKey key) {
    const std::size_t n = std::min(stored.size(), key.text.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(stored[i]);
        const auto b = static_cast<unsigned char>(Upper(key.text[i]));
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    if (stored.size() == key.text.size()) {
        return 0;
    }
    return stored.size() < key.text.size() ? -1 : 1;
}

bool operator<(const std::string& stored, UpperKey key) {
    return Compare(stored, key) < 0;
}
// lower_bound needs only the other order; this one keeps the pair whole.
[[maybe_unused]] bool operator<(UpperKey key, const std::string& stored) {
    return Compare(stored, key) > 0;
}

bool BeginsWith(std::string_view stored, UpperKey key) {
    return stored.size() >= key.text.size() &&
           Compare(stored.substr(0, key.text.size()), key) == 0;
}

} // namespace

void CDupeTable::SetLength(int n) {
    m_ring.assign(static_cast<std::size_t>(std::max(n, 0)), std::string{});
    m_sorted.clear();
    m_index = 0;
}

bool CDupeTable::CheckAndRecord(std::string_view key) {
    if (m_ring.empty()) {
        return false;
    }
    // Stored keys that begin with the key sort directly at or after it.
    const auto found = m_sorted.lower_bound(UpperKey{key});
    if (found != m_sorted.end() && BeginsWith(*found, UpperKey{key})) {
        return true;
    }

    m_index = (m_index + 1) % Length();
    std::string& slot = m_ring[static_cast<std::size_t>(m_index)];
    // Keys in the ring are distinct (an equal key would have been a dupe),
    // so the oldest key has exactly one index entry to drop.
    if (!slot.empty()) {
        m_sorted.erase(slot);
    }
    slot.assign(key);
    std::transform(slot.begin(), slot.end(), slot.begin(), Upper);
    if (!slot.empty()) {
        m_sorted.insert(slot);
    }
    return false;
}
