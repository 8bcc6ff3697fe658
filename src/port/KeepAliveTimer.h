#pragma once

#include <cstdint>

class IClock;

// The keep-alive of a link, in one place for a port and for each caller of
// a server port: the period in minutes, the next due time, and whether
// anything came in since the previous keep-alive.
//
// Once a second the link asks IsDue; when it is, TimesOut decides between a
// keep-alive (an empty line goes out and the link counts as idle until
// input comes) and the "Port Timeout" of a link that stayed idle a whole
// period.
class CKeepAliveTimer {
  public:
    void Set(int minutes, const IClock& clock);
    void Rearm(const IClock& clock);
    // False when off or not yet due; otherwise rearms and returns true.
    bool IsDue(const IClock& clock);
    // A keep-alive is due: true when the link stayed idle since the previous
    // one and may time out; otherwise the keep-alive goes out and the link
    // counts as idle.
    bool TimesOut(bool mayTimeOut);
    // Input came in: the link is active until the next keep-alive.
    void NoteInput() { m_idle = false; }
    bool IsIdle() const { return m_idle; }
    int Minutes() const { return m_minutes; }

  private:
    int m_minutes = 0;
    std::int64_t m_due = 0;
    bool m_idle = false;
};
