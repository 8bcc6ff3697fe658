#include "routing/MircUserRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string IrcRefused = Shown("Can't route IRC to IRC.");
const std::string UserRefused = Shown("Can't route User to IRC.");
const std::string ClusseRefused = Shown("Can't route Clusse User to IRC.");
const std::string CTRefused = Shown("Can't route CT to IRC.");
const std::string CTUserRefused = Shown("Can't route CT User to IRC.");

const std::vector<MatrixRow> MircRows = {
    {"Command_Spot", "Command", TypedSpot, "privmsg #CQDX :" + TypedSpot + "\r\n", ""},
    {"Command_Text", "Command", "sh/dx", "privmsg #CQDX :sh/dx\r\n", ""},
    {"Command_Empty", "Command", "", "", ""},
    {"Command_CrLed", "Command", "\rsh/dx", "", ""},
    {"ClusterUser_Spot", "Cluster User", UserSpot, "", UserRefused},
    {"ClusterUser_Text", "Cluster User", Talk, "", UserRefused},
    {"ClusterUser_Empty", "Cluster User", "", "", ""},
    {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "", ""},
    {"SpiderUser_Spot", "Spider User", UserSpot, "", UserRefused},
    {"SpiderUser_Text", "Spider User", Talk, "", UserRefused},
    {"SpiderUser_Empty", "Spider User", "", "", ""},
    {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "", ""},
    {"ClusseUser_Spot", "Clusse User", ClusseSpot, "", ClusseRefused},
    {"ClusseUser_Text", "Clusse User", Talk, "", ClusseRefused},
    {"ClusseUser_Empty", "Clusse User", "", "", ""},
    {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "", ""},
    {"MircUser_Spot", "MIRC User", IrcSpot, "", IrcRefused},
    {"MircUser_Text", "MIRC User", IrcTalk, "", IrcRefused},
    {"MircUser_Empty", "MIRC User", "", "", ""},
    {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "", ""},
    {"ClusterNode_Spot", "Cluster Node", NodeSpot, IrcPost, ""},
    {"ClusterNode_Text", "Cluster Node", NodeFrame, "", ""},
    {"ClusterNode_Empty", "Cluster Node", "", "", ""},
    {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "", ""},
    {"Direct_Spot", "Direct", UserSpot, "privmsg #CQDX :" + UserSpot + "\r\n", ""},
    {"Direct_Text", "Direct", "hello", "privmsg #CQDX :hello\r\n", ""},
    {"Direct_Empty", "Direct", "", "", ""},
    {"Direct_CrLed", "Direct", "\rhello", "", ""},
    {"PassThru_Spot", "PassThru", UserSpot + "\r\n", "", FromPassThruRefused},
    {"PassThru_Text", "PassThru", "\x01raw", "", FromPassThruRefused},
    {"PassThru_Empty", "PassThru", "", "", ""},
    {"PassThru_CrLed", "PassThru", "\rabc", "", ""},
    {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, "", CTRefused},
    {"CTNetwork_Text", "CT Network", "A1hello", "", CTRefused},
    {"CTNetwork_Empty", "CT Network", "", "", ""},
    {"CTNetwork_CrLed", "CT Network", "\rA1hello", "", ""},
    {"CTUser_Spot", "CT User", TypedSpot, "", CTUserRefused},
    {"CTUser_Text", "CT User", "hello", "", CTUserRefused},
    {"CTUser_Empty", "CT User", "", "", ""},
    {"CTUser_CrLed", "CT User", "\rhello", "", ""},
};

class MircUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(MircUserDestination, PostsNodeSpotsAndDirectTextRefusesTheRest) {
    ExpectRow("MIRC User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, MircUserDestination, testing::ValuesIn(MircRows),
                         RowName);

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
