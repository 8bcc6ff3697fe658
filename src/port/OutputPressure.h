#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CPortHandler;
class IClock;

// Holds input back while an output's queue is full, so that a fast source
// is slowed by TCP flow control instead of losing lines at a slow output.
//
// Responsibilities: per port, whether its fullest output queue holds input
// back: from HighWater until it falls below LowWater, for at most
// MaxHoldSeconds. A port that holds that long holds nothing more until its
// queue falls below LowWater: its own rule for a peer that stops reading then
// applies (a caller is closed at the queue's cap, a client link resets), and
// one stalled peer cannot stall the station. A hold is said in the port's
// window once it lasts ReportSeconds, and so is its end; a flood of short
// holds says nothing.
//
// Collaborators: the document (asks before routing, stops draining while
// held; the rings then fill and the transports stop reading), the ports
// (their queues, their windows), the clock.
class COutputPressure {
  public:
    static constexpr std::size_t HighWater = 512 * 1024;
    static constexpr std::size_t LowWater = 128 * 1024;
    static constexpr std::int64_t MaxHoldSeconds = 5;
    static constexpr std::int64_t ReportSeconds = 2;

    explicit COutputPressure(const IClock& clock) : m_clock(clock) {}

    // Looks at every port's output; true when input must wait now.
    bool Holds(const std::vector<CPortHandler*>& ports);
    // A port that goes away.
    void Forget(const CPortHandler* port);

  private:
    // A port that holds input back, or held it MaxHoldSeconds.
    struct State {
        const CPortHandler* port = nullptr;
        std::int64_t since = 0;
        bool reported = false;
        // Held MaxHoldSeconds; waits for LowWater before it holds again.
        bool spent = false;
    };
    // True while port holds input back.
    bool Update(CPortHandler& port);

    const IClock& m_clock;
    std::vector<State> m_states;
};
