#pragma once

#include "platform/IClock.h"

#include <ctime>

// The machine's clock: calendar seconds and today's UTC date. Every node
// frame asks for the date, so it is worked out once per second, not per
// spot. Used from the event loop's thread only.
class SystemClock : public IClock {
  public:
    std::int64_t NowSeconds() const override;
    CivilDate UtcDate() const override;

  private:
    mutable std::time_t m_dateSecond = -1;
    mutable CivilDate m_date;
};
