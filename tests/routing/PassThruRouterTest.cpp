#include "routing/PassThruRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string Refused = Shown("Can't route from anything to PassThru except PassThru.");

const std::vector<MatrixRow> PassThruRows = {
    {"Command_Spot", "Command", TypedSpot, "", Refused},
    {"Command_Text", "Command", "sh/dx", "", Refused},
    {"Command_Empty", "Command", "", "", ""},
    {"Command_CrLed", "Command", "\rsh/dx", "", ""},
    {"ClusterUser_Spot", "Cluster User", UserSpot, "", Refused},
    {"ClusterUser_Text", "Cluster User", Talk, "", Refused},
    {"ClusterUser_Empty", "Cluster User", "", "", ""},
    {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "", ""},
    {"SpiderUser_Spot", "Spider User", UserSpot, "", Refused},
    {"SpiderUser_Text", "Spider User", Talk, "", Refused},
    {"SpiderUser_Empty", "Spider User", "", "", ""},
    {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "", ""},
    {"ClusseUser_Spot", "Clusse User", ClusseSpot, "", Refused},
    {"ClusseUser_Text", "Clusse User", Talk, "", Refused},
    {"ClusseUser_Empty", "Clusse User", "", "", ""},
    {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "", ""},
    {"MircUser_Spot", "MIRC User", IrcSpot, "", Refused},
    {"MircUser_Text", "MIRC User", IrcTalk, "", Refused},
    {"MircUser_Empty", "MIRC User", "", "", ""},
    {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "", ""},
    {"ClusterNode_Spot", "Cluster Node", NodeSpot, "", Refused},
    {"ClusterNode_Text", "Cluster Node", NodeFrame, "", Refused},
    {"ClusterNode_Empty", "Cluster Node", "", "", ""},
    {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "", ""},
    {"Direct_Spot", "Direct", UserSpot, "", Refused},
    {"Direct_Text", "Direct", "hello", "", Refused},
    {"Direct_Empty", "Direct", "", "", ""},
    {"Direct_CrLed", "Direct", "\rhello", "", ""},
    // Bytes as they came, line ends and all.
    {"PassThru_Spot", "PassThru", UserSpot + "\r\n", UserSpot + "\r\n", ""},
    {"PassThru_Text", "PassThru", "\x01raw", "\x01raw", ""},
    {"PassThru_Empty", "PassThru", "", "", ""},
    {"PassThru_CrLed", "PassThru", "\rabc", "\rabc", ""},
    {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, "", Refused},
    {"CTNetwork_Text", "CT Network", "A1hello", "", Refused},
    {"CTNetwork_Empty", "CT Network", "", "", ""},
    {"CTNetwork_CrLed", "CT Network", "\rA1hello", "", ""},
    {"CTUser_Spot", "CT User", TypedSpot, "", Refused},
    {"CTUser_Text", "CT User", "hello", "", Refused},
    {"CTUser_Empty", "CT User", "", "", ""},
    {"CTUser_CrLed", "CT User", "\rhello", "", ""},
};

class PassThruDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(PassThruDestination, WritesPassThruBytesRefusesEverythingElse) {
    ExpectRow("PassThru", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, PassThruDestination, testing::ValuesIn(PassThruRows),
                         RowName);

TEST(PassThruRouterTest, BytesWithoutLineEnd_PassedAtNextRequestEvenWhenNotConnected) {
    FakePortHost host;
    FakePort& a = host.AddPort("A");
    FakePort& b = host.AddPort("B", CPortHandler::TncMaster);
    FakePort& log = host.AddPort("LOG");
    Give(a, "PassThru").AddRoute(&Give(b, "PassThru"));
    a.Router()->SetTracePort(&log);
    b.Router()->SetTracePort(&log);
    a.OnReceive("AT\x02", 3);
    EXPECT_FALSE(a.IsConnected());
    host.RouteAll();
    // No stream prefix, no line ending, no trace of the output.
    EXPECT_EQ(b.written, "AT\x02");
    EXPECT_EQ(log.written, "TRACE: A>AT\x02\n");
    EXPECT_FALSE(a.ProcessInput());
}

TEST(PassThruRouterTest, ProcessInput_TakesEverythingAtOnce) {
    FakePortHost host;
    FakePort& a = host.AddPort("A");
    FakePort& b = host.AddPort("B");
    Give(a, "PassThru").AddRoute(&Give(b, "PassThru"));
    a.OnReceive("one\r\ntwo\r\nthr", 13);
    EXPECT_FALSE(a.ProcessInput());
    EXPECT_EQ(b.written, "one\r\ntwo\r\nthr");
}

TEST(PassThruRouterTest, SaveAndLoad_OnlyOptionKeysAndLineEndingUntouchedOnMaster) {
    FakePortHost host;
    FakePort& port = host.AddPort("RAW", CPortHandler::TncMaster);
    const std::vector<std::string> lines = {"BlockDashAtOption=1", "StripAtPoundOption=0",
                                            "OnlyPassSkimmerCQOption=1", "PortType=COM"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::PassThru, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "PassThru");
    EXPECT_EQ(router.CRLFOption, 3);
    EXPECT_EQ(Saved(router), "InputType=8\nBlockDashAtOption=1\nStripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=1\n");
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
