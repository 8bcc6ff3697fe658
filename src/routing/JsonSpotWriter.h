#pragma once

#include "platform/IClock.h"
#include "spots/SpotFields.h"

#include <string>
#include <string_view>

// Writes a spot as the "JSON Spots" object that web loggers, dashboards and
// brokers read, keys always in this order:
//   {"spotter":"DL1ABC","spotted":"K1ABC","frequency":14025.2,
//    "message":"CW 24 dB 22 WPM CQ","when":"2026-12-08T22:59:00Z",
//    "mode":"CW","band":"20m"}
// "mode" (the comment's mode word) and "band" only when known; "origin" and
// "hops" last, only when given (a broker port marks its own spots with
// them). A spot carries only hours and minutes: "when" is the latest such
// moment not more than an hour ahead of the clock, so a spot of 2359Z read
// at 0001Z is yesterday's.
class CJsonSpotWriter {
  public:
    explicit CJsonSpotWriter(const IClock& clock);

    // The object, in a buffer that the next call overwrites.
    const std::string& Format(const SpotFields& spot, std::string_view origin = {}, int hops = -1);

  private:
    void AppendWhen(std::string_view time);

    const IClock& m_clock;
    std::string m_text;
};
