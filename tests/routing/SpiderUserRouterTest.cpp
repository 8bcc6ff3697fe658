#include "routing/SpiderUserRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class SpiderUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(SpiderUserDestination, PostsPlainCommandsPassesTextRefusesPassThru) {
    ExpectRow("Spider User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, SpiderUserDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::user, PlainCommand)),
                         RowName);

TEST(SpiderUserRouterTest, AsSource_HandsLinesToClusterUserHandler) {
    Rig r("Spider User", "Cluster User");
    r.Feed(UserSpot);
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

TEST(SpiderUserRouterTest, SaveAndLoad_RoundTripWithCode9) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    const std::vector<std::string> lines = {"MyCall=G4AAA",
                                            "AntiLoopPrefix=<",
                                            "DupeLength=7",
                                            "CRLFOption=1",
                                            "BlockDashAtOption=0",
                                            "StripAtPoundOption=1",
                                            "OnlyPassSkimmerCQOption=0"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::SpiderUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Spider User");
    EXPECT_EQ(router.TypeCode(), 9);
    EXPECT_EQ(Saved(router), "InputType=9\nMyCall=G4AAA\nAntiLoopPrefix=<\nDupeLength=7\n"
                             "CRLFOption=1\nBlockDashAtOption=0\nStripAtPoundOption=1\n"
                             "OnlyPassSkimmerCQOption=0\n");
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
