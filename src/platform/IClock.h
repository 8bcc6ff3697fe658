#pragma once

#include <cstdint>

struct CivilDate {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
};

// Wall-clock time as the core needs it: calendar seconds for the keep-alive
// timer, and today's UTC date for node frames. Tests use SettableClock.
class IClock {
  public:
    virtual ~IClock() = default;
    virtual std::int64_t NowSeconds() const = 0;
    virtual CivilDate UtcDate() const = 0;
};
