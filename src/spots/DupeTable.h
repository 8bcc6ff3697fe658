#pragma once

#include "spots/DupeKey.h"

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
// hash buckets by that part: a check looks at the few keys of one frequency,
// and of those compares bytes only where the whole hash agrees. A key without
// a blank is checked against the whole ring. Slots hold a key's first bytes
// in place, so that a check allocates nothing, and know the slot before them
// in their chain, so that overwriting the oldest costs the same however full
// its bucket is.
class CDupeTable {
  public:
    // Discards every key; n <= 0 turns checking off.
    void SetLength(int n);
    int Length() const { return static_cast<int>(m_slots.size()); }

    // True when key is a dupe; otherwise records it and returns false.
    // With length 0 nothing is a dupe and nothing is recorded.
    bool CheckAndRecord(std::string_view key);
    bool CheckAndRecord(const CDupeKey& key);

    int Index() const { return m_index; }
    std::string_view Entry(int i) const;

  private:
    static constexpr int None = -1;

    struct Slot {
        // The key's first bytes, zero padded.
        alignas(8) char head[CDupeKey::InlineSize];
        std::uint32_t hash;
        std::uint32_t size;
        int next;
        int prev;
    };

    bool HoldsWithoutBlank(const CDupeKey& key) const;
    bool Begins(int slot, const CDupeKey& key) const;
    void Record(const CDupeKey& key);
    // Kept apart: no real spot's key needs it.
    [[gnu::noinline]] void RecordLong(std::size_t slot, std::string_view text);
    void Unlink(int slot);

    std::vector<Slot> m_slots;
    // The whole text of the slots whose key is longer than a slot holds;
    // empty until such a key comes.
    std::vector<std::string> m_long;
    std::vector<int> m_heads; // first slot of each bucket
    CDupeKey m_key;
    int m_index = 0;
};
