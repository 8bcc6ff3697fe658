#include "port/OutputPressure.h"

#include "support/FakePortHost.h"

#include <gtest/gtest.h>

namespace {

struct PressureRig {
    FakePortHost host;
    FakePort& out = host.AddPort("OUT");
    FakePort& other = host.AddPort("OTHER");
    COutputPressure pressure{host.clock};
    const std::vector<CPortHandler*> ports{&other, &out};

    bool HoldsAt(std::size_t queued) {
        out.queued = queued;
        return pressure.Holds(ports);
    }
    void Wait(int seconds) { host.clock.seconds += seconds; }
    const std::string& Said() { return host.ViewOf(0).Text(); }
};

TEST(OutputPressure, HoldsFromHighWaterUntilBelowLowWater_SaysOnlyLongHolds) {
    PressureRig rig;
    EXPECT_FALSE(rig.HoldsAt(COutputPressure::HighWater - 1));
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::LowWater));
    rig.Wait(1);
    EXPECT_FALSE(rig.HoldsAt(COutputPressure::LowWater - 1));
    EXPECT_EQ(rig.Said(), "");

    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    rig.Wait(COutputPressure::ReportSeconds);
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    rig.Wait(1);
    EXPECT_FALSE(rig.HoldsAt(0));
    EXPECT_EQ(rig.Said(), "OUT: output queue full, input held back\n"
                          "OUT: output queue taken, input resumed after 3 s\n");
    EXPECT_EQ(rig.host.ViewOf(1).Text(), "");
}

TEST(OutputPressure, AfterMaxHoldThePortHoldsNoMoreUntilItsQueueFalls) {
    PressureRig rig;
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    rig.Wait(COutputPressure::MaxHoldSeconds);
    EXPECT_FALSE(rig.HoldsAt(COutputPressure::HighWater));
    rig.Wait(60);
    EXPECT_FALSE(rig.HoldsAt(2 * COutputPressure::HighWater));
    EXPECT_FALSE(rig.HoldsAt(COutputPressure::LowWater - 1));
    EXPECT_TRUE(rig.HoldsAt(COutputPressure::HighWater));
    EXPECT_EQ(rig.Said(), "OUT: output queue still full after 5 s, input no longer held back "
                          "for it\n");
}

} // namespace
