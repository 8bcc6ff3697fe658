#pragma once

#include "platform/IEventLoop.h"
#include "platform/TimerIds.h"

#include <QObject>

#include <map>

class QTimer;

// The event-loop seam on Qt's loop: queued calls and QTimer timers, all on
// the thread that owns this object.
class QtEventLoop : public IEventLoop {
  public:
    // Timer ids start at firstId (a test starts near the largest).
    explicit QtEventLoop(TimerId firstId = 1);
    ~QtEventLoop() override;

    void Post(std::function<void()> fn) override;
    TimerId StartTimer(int intervalMs, std::function<void()> fn) override;
    TimerId SingleShot(int delayMs, std::function<void()> fn) override;
    void StopTimer(TimerId id) override;

  private:
    TimerId Add(int ms, bool single, std::function<void()> fn);

    QObject m_context;
    std::map<TimerId, QTimer*> m_timers;
    CTimerIds m_ids;
};
