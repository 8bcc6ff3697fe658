#include "spots/DupeTable.h"

#include <algorithm>
#include <cstring>

void CDupeTable::SetLength(int n) {
    const auto length = static_cast<std::size_t>(std::max(n, 0));
    m_slots.assign(length, Slot{{}, 0, 0, None, None});
    m_long.clear();
    std::size_t buckets = 1;
    while (buckets < 2 * length) {
        buckets *= 2;
    }
    m_heads.assign(length == 0 ? 0 : buckets, None);
    m_index = 0;
}

std::string_view CDupeTable::Entry(int i) const {
    const Slot& slot = m_slots[static_cast<std::size_t>(i)];
    if (slot.size > CDupeKey::InlineSize) {
        return m_long[static_cast<std::size_t>(i)];
    }
    return {slot.head, slot.size};
}

bool CDupeTable::CheckAndRecord(std::string_view key) {
    if (m_slots.empty()) {
        return false;
    }
    m_key.Set(key);
    return CheckAndRecord(m_key);
}

bool CDupeTable::CheckAndRecord(const CDupeKey& key) {
    if (m_slots.empty()) {
        return false;
    }
    if (key.HasBlank()) {
        for (int s = m_heads[key.Hash() & (m_heads.size() - 1)]; s != None;
             s = m_slots[static_cast<std::size_t>(s)].next) {
            if (m_slots[static_cast<std::size_t>(s)].hash == key.Hash() && Begins(s, key)) {
                return true;
            }
        }
    } else if (HoldsWithoutBlank(key)) {
        return true;
    }
    Record(key);
    return false;
}

bool CDupeTable::HoldsWithoutBlank(const CDupeKey& key) const {
    for (int s = 0; s < Length(); ++s) {
        if (m_slots[static_cast<std::size_t>(s)].size != 0 && Begins(s, key)) {
            return true;
        }
    }
    return false;
}

bool CDupeTable::Begins(int s, const CDupeKey& key) const {
    const Slot& slot = m_slots[static_cast<std::size_t>(s)];
    if (slot.size < key.Size()) {
        return false;
    }
    if (key.Size() <= CDupeKey::InlineSize) {
        return key.HeadBegins(slot.head);
    }
    // Both keys are longer than a slot holds.
    return std::string_view(m_long[static_cast<std::size_t>(s)]).starts_with(key.Text());
}

void CDupeTable::Record(const CDupeKey& key) {
    m_index = m_index + 1 == Length() ? 0 : m_index + 1;
    const auto i = static_cast<std::size_t>(m_index);
    Slot& slot = m_slots[i];
    if (slot.size != 0) {
        Unlink(m_index);
    }
    std::memcpy(slot.head, key.Head(), CDupeKey::InlineSize);
    slot.size = static_cast<std::uint32_t>(key.Size());
    slot.hash = key.Hash();
    if (key.Size() > CDupeKey::InlineSize) {
        RecordLong(i, key.Text());
    }
    if (key.Size() == 0) {
        return;
    }
    int& head = m_heads[key.Hash() & (m_heads.size() - 1)];
    slot.prev = None;
    slot.next = head;
    if (head != None) {
        m_slots[static_cast<std::size_t>(head)].prev = m_index;
    }
    head = m_index;
}

void CDupeTable::RecordLong(std::size_t slot, std::string_view text) {
    m_long.resize(m_slots.size());
    m_long[slot].assign(text);
}

void CDupeTable::Unlink(int s) {
    // The slot overwritten holds the oldest key, and keys go in at the front
    // of their bucket's chain: it is the last of its chain, so cutting the
    // chain before it is all there is to do.
    const Slot& slot = m_slots[static_cast<std::size_t>(s)];
    if (slot.prev != None) {
        m_slots[static_cast<std::size_t>(slot.prev)].next = None;
    } else {
        m_heads[slot.hash & (m_heads.size() - 1)] = None;
    }
}
