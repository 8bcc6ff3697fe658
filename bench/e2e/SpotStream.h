#pragma once

// The benchmark's feed: N "DX de" lines in the user column layout, as a
// cluster node shows them to a logged-in user, each ended by CR LF:
//
//   DX de K1ABC:     14025.0  DL1XYZ       cq #1234                       1234Z
//   DX de DL7ZZ-#:    7012.5  JA1ABC/P     CW 22 dB CQ #1235              1235Z
//
// Calls, bands, frequencies, spotters (a third of them skimmers) and comments
// vary. About a fifth of the lines (the dupe share) repeat the frequency and
// call of one of the last 1000 distinct keys with another spotter, comment and
// time: every destination with a dupe table of 1000 drops exactly those. A new
// key never reuses a frequency of the last 2000 distinct keys, so it can never
// be mistaken for the beginning of a remembered key. The comment carries the
// line's sequence number after "#" so that sinks can match what arrives.

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

class CSpotStream {
  public:
    CSpotStream(std::uint64_t seed, double dupeShare);

    // Builds lines 0..count-1 into one buffer.
    void Generate(std::size_t count);

    const std::string& Text() const { return m_text; }
    std::size_t LineCount() const { return m_lineEnds.size(); }
    // Byte offset just past line i's CR LF.
    std::size_t LineEnd(std::size_t i) const { return m_lineEnds[i]; }
    std::size_t LineBegin(std::size_t i) const { return i == 0 ? 0 : m_lineEnds[i - 1]; }
    // 1 for a line that repeats a remembered key, 0 for a new key.
    const std::vector<std::uint8_t>& DupeMarks() const { return m_dupe; }
    std::size_t DupeCount() const { return m_dupeCount; }

    static constexpr std::size_t kDupeWindow = 1000;

  private:
    struct Key {
        int frequencyTenths;
        std::string call;
    };

    std::string MakeCall(bool allowPortable);
    std::string MakeSpotter(bool& skimmer);
    int MakeFrequency();
    std::string Comment(bool skimmer, std::size_t seq);
    void AppendLine(const std::string& spotter, int frequencyTenths, const std::string& call,
                    const std::string& comment, std::size_t seq);
    void RememberKey(Key key);

    std::mt19937_64 m_random;
    double m_dupeShare;
    std::string m_text;
    std::vector<std::size_t> m_lineEnds;
    std::vector<std::uint8_t> m_dupe;
    std::size_t m_dupeCount = 0;
    std::deque<Key> m_keys; // the most recent distinct keys, newest last
    std::unordered_map<int, int> m_recentFrequencies;
    std::deque<int> m_frequencyOrder;
};
