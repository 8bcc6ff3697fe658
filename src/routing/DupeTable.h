#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

// The ring of the most recent distinct spot keys ("14025.0 K1ABC").
//
// A key is a dupe when a stored key begins with it; a key longer than a
// stored key never matches it. Keys go into the ring from position 1 on
// (position 0 is first used after the index wraps), overwriting the oldest.
// An ordered index answers the "begins with" question in logarithmic time;
// the ring decides which key is forgotten. Keys are compared and stored in
// upper case.
class CDupeTable {
public:
    // Discards every key; n <= 0 turns checking off.
    void SetLength(int n);
    int Length() const { return static_cast<int>(m_ring.size()); }

    // True when key is a dupe; otherwise records it and returns false.
    // With length 0 nothing is a dupe and nothing is recorded.
    bool CheckAndRecord(std::string_view key);

    int Index() const { return m_index; }
    const std::string& Entry(int i) const { return m_ring[static_cast<std::size_t>(i)]; }

private:
    std::vector<std::string> m_ring;
    std::set<std::string, std::less<>> m_sorted;
    int m_index = 0;
};
