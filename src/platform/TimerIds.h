#pragma once

#include "platform/IEventLoop.h"

#include <limits>

// Hands out timer ids for an event loop: always positive, so never the "no
// timer" 0 its users keep, and never one still in use, however long the
// program runs and however often the counter wraps.
class CTimerIds {
  public:
    explicit CTimerIds(IEventLoop::TimerId first = 1) : m_next(first > 0 ? first : 1) {}

    // inUse(id) tells whether a timer still holds id.
    template <typename InUse> IEventLoop::TimerId Next(InUse inUse) {
        IEventLoop::TimerId id = m_next;
        while (inUse(id)) {
            id = After(id);
        }
        m_next = After(id);
        return id;
    }

  private:
    static IEventLoop::TimerId After(IEventLoop::TimerId id) {
        return id == std::numeric_limits<IEventLoop::TimerId>::max() ? 1 : id + 1;
    }

    IEventLoop::TimerId m_next;
};
