#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>

// Remembers which stations were spotted lately, so that a station calling
// CQ every other minute is spotted once per interval. Keys are whatever
// the caller makes them (call, band and mode). At most capacity keys are
// held: a key leaves when its interval has passed, or, when more stations
// than that were spotted within one interval, the oldest goes first.
class CWsjtxRepeatTable {
  public:
    explicit CWsjtxRepeatTable(std::size_t capacity) : m_capacity(capacity) {}

    // True when key was recorded less than interval seconds before now;
    // otherwise records it at now (an interval of 0 or less records nothing).
    bool IsRepeat(const std::string& key, std::int64_t now, std::int64_t interval);

    std::size_t Size() const { return m_spotted.size(); }
    // Keys pushed out by the capacity before their interval had passed.
    std::uint64_t Forgotten() const { return m_forgotten; }

  private:
    void ForgetOldest();

    std::size_t m_capacity;
    std::unordered_map<std::string, std::int64_t> m_spotted;
    // The keys in the order they were recorded, with their times.
    std::deque<std::pair<std::int64_t, std::string>> m_order;
    std::uint64_t m_forgotten = 0;
};
