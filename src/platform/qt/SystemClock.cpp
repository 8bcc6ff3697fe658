#include "platform/qt/SystemClock.h"

#include <ctime>

std::int64_t SystemClock::NowSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}

CivilDate SystemClock::UtcDate() const {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return CivilDate{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday};
}
