#include "routing/CommandRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class CommandDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CommandDestination, SendsEveryLineUnchangedRefusesPassThru) {
    ExpectRow("Command", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CommandDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::command)), RowName);

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
