#include "port/KeepAliveTimer.h"

#include "platform/IClock.h"

void CKeepAliveTimer::Set(int minutes, const IClock& clock) {
    m_minutes = minutes;
    Rearm(clock);
}

void CKeepAliveTimer::Rearm(const IClock& clock) {
    m_due = clock.NowSeconds() + static_cast<std::int64_t>(m_minutes) * 60;
}

// A negative period from a damaged setup line counts as off: otherwise it
// would be due on every tick and time the port out within seconds.
bool CKeepAliveTimer::IsDue(const IClock& clock) {
    if (m_minutes <= 0 || clock.NowSeconds() < m_due) {
        return false;
    }
    Rearm(clock);
    return true;
}

bool CKeepAliveTimer::TimesOut(bool mayTimeOut) {
    if (m_idle && mayTimeOut) {
        return true;
    }
    m_idle = true;
    return false;
}
