#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// The spots a web port keeps for its readers: the newest Count, none older
// than Minutes. Each is held as the JSON object its router wrote, with the
// few fields the queries select by.
//
// Collaborators: the web port adds what its router sends and asks for
// arrays and single spots; the version changes with every spot added or
// dropped, so that it names a state of the store (the ETag of an answer).
class CWebSpotStore {
  public:
    static constexpr std::size_t DefaultCount = 1000;
    static constexpr int DefaultMinutes = 60;

    struct Entry {
        std::string json;
        std::string band;
        std::string mode;
        std::string when; // ISO 8601 UTC, as in the object
        double kHz = 0;
        std::int64_t arrived = 0; // clock seconds
    };
    struct Query {
        std::string band;      // empty: every band
        std::string mode;      // empty: every mode
        std::string since;     // ISO 8601 UTC; empty: no bound
        std::size_t limit = 0; // 0: all
    };

    void SetKeep(std::size_t count, int minutes);
    std::size_t KeepCount() const { return m_count; }
    int KeepMinutes() const { return m_minutes; }

    void Add(Entry entry, std::int64_t now);
    // Drops what is older than the kept minutes.
    void Expire(std::int64_t now);

    // "[{...},{...}]", newest first.
    std::string Array(const Query& query) const;
    // The newest spot within half a kilohertz of kHz; null for none.
    const Entry* Nearest(double kHz) const;

    std::size_t Size() const { return m_entries.size(); }
    std::uint64_t Version() const { return m_version; }

  private:
    void Trim();

    std::deque<Entry> m_entries; // oldest first
    std::size_t m_count = DefaultCount;
    int m_minutes = DefaultMinutes;
    std::uint64_t m_version = 0;
};
