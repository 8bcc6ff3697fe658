#include "routing/ClusseUserRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class ClusseUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(ClusseUserDestination, PostsSpotterCommandsPassesTextRefusesPassThru) {
    ExpectRow("Clusse User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, ClusseUserDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::user, SpotterCommand)),
                         RowName);

// As a source it announces itself as Clusse: a node port turns its spots
// into frames, an IRC port refuses them with the Clusse message.
TEST(ClusseUserRouterTest, AsSource_ReadsClusseLayoutAndCallsClusseHandler) {
    Rig node("Clusse User", "Cluster Node");
    node.Feed(ClusseSpot);
    EXPECT_EQ(node.dst.written, Pc11);

    Rig irc("Clusse User", "MIRC User");
    irc.Feed(ClusseSpot);
    EXPECT_EQ(irc.Shown(), Shown("Can't route Clusse User to IRC."));
}

TEST(ClusseUserRouterTest, AsSource_RecordsClusseSpotInOwnDupeTable) {
    Rig r("Clusse User", "Cluster Node");
    r.srcRouter.SetDupeLength(5);
    r.dstRouter.AddRoute(&r.srcRouter);
    r.Feed(ClusseSpot);
    // The node offers the same spot back: the Clusse port saw it already.
    const std::string frame = NodeSpot + "\r";
    r.dst.OnReceive(frame.data(), static_cast<int>(frame.size()));
    r.host.RouteAll();
    EXPECT_EQ(r.src.written, "");
}

TEST(ClusseUserRouterTest, SaveAndLoad_RoundTripWithCode7) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    const std::vector<std::string> lines = {"MyCall=G4AAA", "DupeLength=3"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::ClusseUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Clusse User");
    EXPECT_EQ(Saved(router), "InputType=7\nMyCall=G4AAA\nAntiLoopPrefix=  <\nDupeLength=3\n"
                             "CRLFOption=3\nBlockDashAtOption=0\nStripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=0\n");
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
