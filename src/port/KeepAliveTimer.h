#pragma once

#include <cstdint>

class IClock;

// The keep-alive period of a port in minutes and its next due time.
class CKeepAliveTimer {
  public:
    void Set(int minutes, const IClock& clock);
    void Rearm(const IClock& clock);
    // False when off or not yet due; otherwise rearms and returns true.
    bool IsDue(const IClock& clock);
    int Minutes() const { return m_minutes; }

  private:
    int m_minutes = 0;
    std::int64_t m_due = 0;
};
