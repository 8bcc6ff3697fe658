#pragma once

#include "platform/IClock.h"

// The machine's clock: calendar seconds and today's UTC date.
class SystemClock : public IClock {
  public:
    std::int64_t NowSeconds() const override;
    CivilDate UtcDate() const override;
};
