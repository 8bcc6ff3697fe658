#include "routing/CommandRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::vector<MatrixRow> CommandRows = {
    {"Command_Spot", "Command", TypedSpot, TypedSpot + "\r\n", ""},
    {"Command_Text", "Command", "sh/dx", "sh/dx\r\n", ""},
    {"Command_Empty", "Command", "", "\r\n", ""},
    {"Command_CrLed", "Command", "\rsh/dx", "\rsh/dx\r\n", ""},
    {"ClusterUser_Spot", "Cluster User", UserSpot, UserSpot + "\r\n", ""},
    {"ClusterUser_Text", "Cluster User", Talk, Talk + "\r\n", ""},
    {"ClusterUser_Empty", "Cluster User", "", "\r\n", ""},
    {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "\r" + UserSpot + "\r\n", ""},
    {"SpiderUser_Spot", "Spider User", UserSpot, UserSpot + "\r\n", ""},
    {"SpiderUser_Text", "Spider User", Talk, Talk + "\r\n", ""},
    {"SpiderUser_Empty", "Spider User", "", "\r\n", ""},
    {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "\r" + UserSpot + "\r\n", ""},
    {"ClusseUser_Spot", "Clusse User", ClusseSpot, ClusseSpot + "\r\n", ""},
    {"ClusseUser_Text", "Clusse User", Talk, Talk + "\r\n", ""},
    {"ClusseUser_Empty", "Clusse User", "", "\r\n", ""},
    {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "\r" + ClusseSpot + "\r\n", ""},
    {"MircUser_Spot", "MIRC User", IrcSpot, IrcSpot + "\r\n", ""},
    {"MircUser_Text", "MIRC User", IrcTalk, IrcTalk + "\r\n", ""},
    {"MircUser_Empty", "MIRC User", "", "\r\n", ""},
    {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "\r" + IrcSpot + "\r\n", ""},
    {"ClusterNode_Spot", "Cluster Node", NodeSpot, NodeSpot + "\r\n", ""},
    {"ClusterNode_Text", "Cluster Node", NodeFrame, NodeFrame + "\r\n", ""},
    {"ClusterNode_Empty", "Cluster Node", "", "\r\n", ""},
    {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "\r" + NodeSpot + "\r\n", ""},
    {"Direct_Spot", "Direct", UserSpot, UserSpot + "\r\n", ""},
    {"Direct_Text", "Direct", "hello", "hello\r\n", ""},
    {"Direct_Empty", "Direct", "", "\r\n", ""},
    {"Direct_CrLed", "Direct", "\rhello", "\rhello\r\n", ""},
    {"PassThru_Spot", "PassThru", UserSpot + "\r\n", "", FromPassThruRefused},
    {"PassThru_Text", "PassThru", "\x01raw", "", FromPassThruRefused},
    {"PassThru_Empty", "PassThru", "", "", ""},
    {"PassThru_CrLed", "PassThru", "\rabc", "", ""},
    {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, "B0" + UserSpot + "\r\n", ""},
    {"CTNetwork_Text", "CT Network", "A1hello", "A1hello\r\n", ""},
    {"CTNetwork_Empty", "CT Network", "", "\r\n", ""},
    {"CTNetwork_CrLed", "CT Network", "\rA1hello", "\rA1hello\r\n", ""},
    {"CTUser_Spot", "CT User", TypedSpot, TypedSpot + "\r\n", ""},
    {"CTUser_Text", "CT User", "hello", "hello\r\n", ""},
    {"CTUser_Empty", "CT User", "", "\r\n", ""},
    {"CTUser_CrLed", "CT User", "\rhello", "\rhello\r\n", ""},
};

class CommandDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CommandDestination, SendsEveryLineUnchangedRefusesPassThru) {
    ExpectRow("Command", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CommandDestination, testing::ValuesIn(CommandRows),
                         RowName);

TEST(CommandRouterTest, ConsoleLine_ReachesEachDestinationInItsDirectForm) {
    FakePortHost host;
    FakePort& con = host.AddPort("CON");
    CRouter& console = Give(con, "Command");
    FakePort& tel = host.AddPort("TEL");
    FakePort& irc = host.AddPort("IRC");
    FakePort& cte = host.AddPort("CTE");
    FakePort& raw = host.AddPort("RAW");
    console.AddRoute(&Give(tel, "Cluster User"));
    console.AddRoute(&Give(irc, "MIRC User"));
    console.AddRoute(&Give(cte, "CT Network"));
    console.AddRoute(&Give(raw, "PassThru"));
    irc.Router()->MyCall = "#CQDX";
    con.ComeUp();
    con.OnReceive("sh/dx\r", 6);
    host.RouteAll();
    EXPECT_EQ(tel.written, "sh/dx\r\n");
    EXPECT_EQ(irc.written, "privmsg #CQDX :sh/dx\r\n");
    EXPECT_EQ(cte.written, "sh/dx\xE6\n");
    EXPECT_EQ(raw.written, "");
    EXPECT_EQ(host.ViewOf(4).Text(),
              "RAW: Can't route from anything to PassThru except PassThru.\n");
}

TEST(CommandRouterTest, ReceivedOnSlavePort_SkipsStreamPrefix) {
    Rig r("Command", "Command");
    r.src.IsTNCPort = CPortHandler::TncSlave;
    r.Feed("|Ash/dx");
    EXPECT_EQ(r.dst.written, "sh/dx\r\n");
}

TEST(CommandRouterTest, Save_WritesLineEndingAndOptionsOnly) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("CON"), "Command");
    EXPECT_EQ(Saved(router), "InputType=0\n"
                             "CRLFOption=3\n"
                             "BlockDashAtOption=0\n"
                             "StripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=0\n");
}

TEST(CommandRouterTest, Load_OnMasterWithoutLineEnding_UsesCr) {
    FakePortHost host;
    FakePort& port = host.AddPort("CON", CPortHandler::TncMaster);
    const std::vector<std::string> lines = {"StripAtPoundOption=1", "PortType=CON"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::Command, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Command");
    EXPECT_EQ(router.CRLFOption, 1);
    EXPECT_EQ(router.StripAtPoundOption, 1);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
