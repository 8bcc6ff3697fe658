#pragma once

#include "platform/IEventLoop.h"
#include "platform/TimerIds.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

// An event loop whose time only moves when a test says so.
class ManualEventLoop : public IEventLoop {
  public:
    void Post(std::function<void()> fn) override;
    TimerId StartTimer(int intervalMs, std::function<void()> fn) override;
    TimerId SingleShot(int delayMs, std::function<void()> fn) override;
    void StopTimer(TimerId id) override;

    // Runs posted calls (and the calls they post) until none is left, at
    // most maxCalls of them. Returns how many ran.
    int RunPosted(int maxCalls = 1000000);
    // Moves time forward, firing due timers in time order and running the
    // posted calls after each.
    void Advance(std::int64_t ms);

    std::int64_t NowMs() const { return m_now; }
    std::size_t PostedCount() const { return m_posted.size(); }
    std::size_t ActiveTimers() const { return m_timers.size(); }

  private:
    TimerId NextId();

    struct Timer {
        std::int64_t due;
        int interval; // 0 for single shot
        std::function<void()> fn;
    };
    std::deque<std::function<void()>> m_posted;
    std::map<TimerId, Timer> m_timers;
    CTimerIds m_ids;
    std::int64_t m_now = 0;
};
