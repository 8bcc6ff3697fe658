#include "routing/MircUserRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class MircUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(MircUserDestination, PostsNodeSpotsAndDirectTextRefusesTheRest) {
    ExpectRow("MIRC User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, MircUserDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::mirc)), RowName);

TEST(MircUserRouterTest, SameSpotFromTwoNodes_PostedOnceWithDupeLength) {
    Rig r("Cluster Node", "MIRC User");
    FakePort& other = r.host.AddPort("N2");
    Give(other, "Cluster Node").AddRoute(&r.dstRouter);
    other.ComeUp();
    r.dstRouter.SetDupeLength(3);
    r.Feed(NodeSpot);
    const std::string again = "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE2^H9^~\r";
    other.OnReceive(again.data(), static_cast<int>(again.size()));
    r.host.RouteAll();
    EXPECT_EQ(r.dst.written, IrcPost);
}

TEST(MircUserRouterTest, LongSpotter_CutSoFrequencyEndsAtColumn19) {
    Rig r("Cluster Node", "MIRC User");
    r.Feed("PC11^14025.00^DL1XYZ^7-Dec-2026^1234Z^cq cq^DL1ABCDEFGHIJ^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "privmsg #CQDX :\x03"
                             "1,15 DL1ABCDEFGHI14025.00 DL1XYZ       cq cq"
                             "                       1234\r\n");
}

TEST(MircUserRouterTest, AsSource_EightBitTextReachesDirectAndCommandAsSevenBit) {
    Rig direct("MIRC User", "Direct");
    direct.Feed(":K1ABC!k@irc.example PRIVMSG #CQDX :h\xE9llo \xB0");
    EXPECT_EQ(direct.dst.written, ":K1ABC!k@irc.example PRIVMSG #CQDX :hillo 0\r\n");

    Rig command("MIRC User", "Command");
    FakePort& log = command.host.AddPort("LOG");
    command.srcRouter.SetTracePort(&log);
    command.Feed(":K1ABC!k@irc.example PRIVMSG #CQDX :h\xE9llo");
    EXPECT_EQ(command.dst.written, ":K1ABC!k@irc.example PRIVMSG #CQDX :hillo\r\n");
    // The trace shows the line as it was received.
    EXPECT_EQ(log.written, "TRACE: SRC>:K1ABC!k@irc.example PRIVMSG #CQDX :h\xE9llo\n");
}

TEST(MircUserRouterTest, AsSource_SpotWithEightBitLeadIn_IsStillASpot) {
    Rig r("MIRC User", "Cluster User");
    r.Feed(":K1ABC!k@irc.example PRIVMSG #CQDX :\x83"
           "1,15 " +
           IrcSpotText);
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

TEST(MircUserRouterTest, SaveAndLoad_RoundTripWithCode6) {
    FakePortHost host;
    FakePort& port = host.AddPort("IRC");
    const std::vector<std::string> lines = {"MyCall=#CQDX",
                                            "AntiLoopPrefix=",
                                            "DupeLength=2",
                                            "CRLFOption=2",
                                            "BlockDashAtOption=1",
                                            "StripAtPoundOption=0",
                                            "OnlyPassSkimmerCQOption=1"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::MircUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "MIRC User");
    EXPECT_EQ(Saved(router), "InputType=6\nMyCall=#CQDX\nAntiLoopPrefix=\nDupeLength=2\n"
                             "CRLFOption=2\nBlockDashAtOption=1\nStripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=1\n");
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
