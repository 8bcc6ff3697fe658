#include "routing/JsonSpotWriter.h"

#include "support/SettableClock.h"

#include <gtest/gtest.h>

namespace {

// 2026-12-08 00:01:00 UTC.
constexpr std::int64_t JustAfterMidnight = 1796688060;

TEST(JsonSpotWriterTest, Format_ModeBandOriginAndHopsInFixedOrder) {
    SettableClock clock;
    clock.seconds = JustAfterMidnight;
    CJsonSpotWriter writer(clock);
    SpotFields spot;
    spot.Spotter = "KM3T-#";
    spot.DxCall = "K1ABC";
    spot.Frequency = "7025.3";
    spot.Comment = "cw 24 dB \"22\" WPM";
    spot.Time = "0000";
    EXPECT_EQ(writer.Format(spot, "a1b2", 0),
              R"({"spotter":"KM3T-#","spotted":"K1ABC","frequency":7025.3,)"
              R"("message":"cw 24 dB \"22\" WPM","when":"2026-12-08T00:00:00Z","mode":"CW",)"
              R"("band":"40m","origin":"a1b2","hops":0})");
}

TEST(JsonSpotWriterTest, Format_LateTimeIsYesterdayOddFrequencyIsNumberNoBandOutside) {
    SettableClock clock;
    clock.seconds = JustAfterMidnight;
    CJsonSpotWriter writer(clock);
    SpotFields spot;
    spot.Spotter = "K1ABC";
    spot.DxCall = "DL1XYZ";
    spot.Frequency = "9999.";
    spot.Time = "2359";
    EXPECT_EQ(writer.Format(spot), R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":9999.0,)"
                                   R"("message":"","when":"2026-12-07T23:59:00Z"})");
}

} // namespace
