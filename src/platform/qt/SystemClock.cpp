#include "platform/qt/SystemClock.h"

std::int64_t SystemClock::NowSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}

CivilDate SystemClock::UtcDate() const {
    const std::time_t now = std::time(nullptr);
    if (now != m_dateSecond) {
        std::tm utc{};
        gmtime_r(&now, &utc);
        m_date = CivilDate{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday};
        m_dateSecond = now;
    }
    return m_date;
}
