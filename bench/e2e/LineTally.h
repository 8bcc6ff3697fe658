#pragma once

// Counts what a sink received and matches it against the stream: every line
// is looked up by the sequence number in its comment, so that lines that
// never arrived, arrived twice, or should have been dropped as dupes are
// told apart. Optionally keeps the arrival time of each sequence number for
// the latency figures.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLineTally {
  public:
    // dupeMarks: one byte per sequence number, 1 for a line that repeats a
    // remembered spot (may be empty: then every number counts as unique).
    CLineTally(std::size_t sequenceCount, std::vector<std::uint8_t> dupeMarks, bool keepTimes);

    // One received line (or datagram), stamped with its arrival time.
    void Count(std::string_view line, std::int64_t arrivalNs);
    // Splits a chunk of a byte stream at LF; keeps an unfinished line for
    // the next chunk. Empty lines (keep-alives, CR LF halves) are not counted.
    void CountStream(std::string_view chunk, std::int64_t arrivalNs);

    std::int64_t Lines() const { return m_lines; }
    std::int64_t FirstNs() const { return m_firstNs; }
    std::int64_t LastNs() const { return m_lastNs; }
    // "lines=.. unique=.. dupes=.. repeats=.. unnumbered=.. out_of_order=.. first_ns=..
    // last_ns=.."
    std::string Summary() const;
    // Arrival time per sequence number, 0 where none arrived.
    const std::vector<std::int64_t>& Times() const { return m_times; }

  private:
    std::vector<std::uint8_t> m_dupeMarks;
    std::vector<std::uint8_t> m_seen;
    std::vector<std::int64_t> m_times;
    std::string m_partial;
    std::int64_t m_lines = 0;
    std::int64_t m_unique = 0;
    std::int64_t m_dupes = 0;
    std::int64_t m_repeats = 0;
    std::int64_t m_unnumbered = 0;
    // First arrivals of a number below one that came before it.
    std::int64_t m_outOfOrder = 0;
    std::int64_t m_highest = -1;
    std::int64_t m_firstNs = 0;
    std::int64_t m_lastNs = 0;
};
