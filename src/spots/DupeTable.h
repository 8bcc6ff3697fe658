#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The ring of the most recent distinct spot keys ("14025.0 K1ABC").
//
// A key is a dupe when a stored key begins with it; a key longer than a
// stored key never matches it. Keys go into the ring from position 1 on
// (position 0 is first used after the index wraps), overwriting the oldest.
// Keys are compared and stored in upper case.
//
// A stored key can only begin with a key that holds a blank when both agree
// up to that first blank (the frequency), so the ring's slots are chained in
// hash buckets by that part: a check looks at the few keys of one frequency
// instead of the whole ring, and nothing is allocated once a slot has held a
// key. A key without a blank is checked against the whole ring.
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
    static constexpr int None = -1;

    void Unlink(int slot);

    std::vector<std::string> m_ring;
    std::vector<int> m_next;             // next slot in the same bucket
    std::vector<int> m_heads;            // first slot of each bucket
    std::vector<std::uint32_t> m_bucket; // bucket of each filled slot
    std::string m_key;                   // the key in upper case
    int m_index = 0;
};
