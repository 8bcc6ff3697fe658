#pragma once

#include "platform/IClock.h"

// A clock that shows what the test set.
class SettableClock : public IClock {
  public:
    std::int64_t NowSeconds() const override { return seconds; }
    CivilDate UtcDate() const override { return date; }

    std::int64_t seconds = 1'000'000;
    CivilDate date{2026, 12, 7};
};
