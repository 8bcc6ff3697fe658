#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Counts inputs dropped for a reason, and says so in a port's window at most
// once a minute per reason, so that a flood of bad input costs one line a
// minute, not one per message:
//
//   Payload dropped: not JSON (more in this minute are counted)
//   412 payloads dropped in the last minute: not JSON
//
// The first drop of a reason is told at once; the ones after it within the
// minute are told by the first Count or Tick after the minute is over.
class CDropTally {
  public:
    using Output = std::function<void(std::string_view line)>;

    // noun: what is dropped ("payload"); its plural adds an "s".
    CDropTally(std::string noun, Output output);

    void Count(std::string_view reason, std::int64_t now);
    // Called every few seconds: the lines of minutes that are over.
    void Tick(std::int64_t now);
    // Every drop of the reason since the start.
    std::uint64_t Total(std::string_view reason) const;
    std::uint64_t Total() const;

  private:
    struct Reason {
        std::string Text;
        std::uint64_t Total = 0;
        std::uint64_t Untold = 0;
        std::int64_t QuietUntil = 0;
    };

    void Tell(Reason& reason, std::int64_t now);

    std::string m_noun;
    Output m_output;
    std::vector<Reason> m_reasons;
};
