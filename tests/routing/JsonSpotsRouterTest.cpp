#include "routing/JsonSpotsRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

// 2026-12-07 12:40:00 UTC.
constexpr std::int64_t Afternoon = 1796647200;

const std::string SpotObject =
    R"({"spotter":"K1ABC","spotted":"DL1XYZ","frequency":14025.0,"message":"cq cq",)"
    R"("when":"2026-12-07T12:34:00Z","band":"20m"})";

TEST(JsonSpotsRouterTest, AsDestination_SpotsBecomeOneObjectALineTextStaysDupesCounted) {
    Rig r("Cluster User", "JSON Spots");
    r.host.clock.seconds = Afternoon;
    r.dstRouter.SetDupeLength(10);
    r.Feed(UserSpot);
    r.Feed(Talk);
    r.Feed(UserSpot);
    EXPECT_EQ(r.dst.written, SpotObject + "\n");
    EXPECT_EQ(r.dstRouter.Counts(), (CRouter::SpotCounts{1, 0, 1}));
}

TEST(JsonSpotsRouterTest, AsSource_ObjectsAreSpotsForEveryOtherType) {
    Rig node("JSON Spots", "Cluster Node");
    node.Feed(SpotObject);
    EXPECT_EQ(node.dst.written, Pc11);
    Rig logger("JSON Spots", "CT User");
    logger.Feed(SpotObject);
    logger.Feed(R"({"not":"a spot"})");
    EXPECT_EQ(logger.dst.written, UserSpot + "\r\n");
}

TEST(JsonSpotsRouterTest, SaveAndLoad_KeysOfALoggerSideWithLineFeedEnding) {
    FakePortHost host;
    FakePort& port = host.AddPort("WEB");
    const std::vector<std::string> lines = {"PortType=WEB"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::JsonSpots, setup, port);
    EXPECT_EQ(loaded->InputType, "JSON Spots");
    EXPECT_EQ(Saved(*loaded), "InputType=10\nDupeLength=0\nCRLFOption=2\nBlockDashAtOption=0\n"
                              "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n");
}

} // namespace
