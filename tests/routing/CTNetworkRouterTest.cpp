#include "routing/CTNetworkRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string CTUserRefused = Shown("Can't route CT User to CT Network.");
// "B0", the "DX de" line of the spot, its checksum byte and a line feed.
const std::string SpotPacket = "B0" + UserSpot + "\xA5\n";

const std::vector<MatrixRow> CTNetworkRows = {
    {"Command_Spot", "Command", TypedSpot, TypedSpot + "\xD9\n", ""},
    {"Command_Text", "Command", "sh/dx", "sh/dx\xE6\n", ""},
    {"Command_Empty", "Command", "", "", ""},
    {"Command_CrLed", "Command", "\rsh/dx", "", ""},
    {"ClusterUser_Spot", "Cluster User", UserSpot, SpotPacket, ""},
    {"ClusterUser_Text", "Cluster User", Talk, "B0" + Talk + "\xB0\n", ""},
    {"ClusterUser_Empty", "Cluster User", "", "", ""},
    {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "", ""},
    {"SpiderUser_Spot", "Spider User", UserSpot, SpotPacket, ""},
    {"SpiderUser_Text", "Spider User", Talk, "B0" + Talk + "\xB0\n", ""},
    {"SpiderUser_Empty", "Spider User", "", "", ""},
    {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "", ""},
    {"ClusseUser_Spot", "Clusse User", ClusseSpot, SpotPacket, ""},
    {"ClusseUser_Text", "Clusse User", Talk, "B0" + Talk + "\xB0\n", ""},
    {"ClusseUser_Empty", "Clusse User", "", "", ""},
    {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "", ""},
    {"MircUser_Spot", "MIRC User", IrcSpot, SpotPacket, ""},
    {"MircUser_Text", "MIRC User", IrcTalk, "", ""},
    {"MircUser_Empty", "MIRC User", "", "", ""},
    {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "", ""},
    {"ClusterNode_Spot", "Cluster Node", NodeSpot, SpotPacket, ""},
    {"ClusterNode_Text", "Cluster Node", NodeFrame, "", ""},
    {"ClusterNode_Empty", "Cluster Node", "", "", ""},
    {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "", ""},
    {"Direct_Spot", "Direct", UserSpot, UserSpot + "\xB3\n", ""},
    {"Direct_Text", "Direct", "hello", "hello\x94\n", ""},
    {"Direct_Empty", "Direct", "", "", ""},
    {"Direct_CrLed", "Direct", "\rhello", "", ""},
    {"PassThru_Spot", "PassThru", UserSpot + "\r\n", "", FromPassThruRefused},
    {"PassThru_Text", "PassThru", "\x01raw", "", FromPassThruRefused},
    {"PassThru_Empty", "PassThru", "", "", ""},
    {"PassThru_CrLed", "PassThru", "\rabc", "", ""},
    // A packet from another CT network port: old checksum off, new one on,
    // no "B0" added.
    {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, SpotPacket, ""},
    {"CTNetwork_Text", "CT Network", "A1hello", "A1hello\x86\n", ""},
    {"CTNetwork_Empty", "CT Network", "", "", ""},
    {"CTNetwork_CrLed", "CT Network", "\rA1hello", "", ""},
    {"CTUser_Spot", "CT User", TypedSpot, "", CTUserRefused},
    {"CTUser_Text", "CT User", "hello", "", CTUserRefused},
    {"CTUser_Empty", "CT User", "", "", ""},
    {"CTUser_CrLed", "CT User", "\rhello", "", ""},
};

class CTNetworkDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CTNetworkDestination, SendsChecksummedPacketsRefusesCTUser) {
    ExpectRow("CT Network", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CTNetworkDestination, testing::ValuesIn(CTNetworkRows),
                         RowName);

TEST(CTNetworkRouterTest, Checksum_OfAbc_Is0xA6AndLineEndingIsIgnored) {
    Rig r("Command", "CT Network");
    r.dstRouter.CRLFOption = 3;
    r.Feed("abc");
    EXPECT_EQ(r.dst.written, "abc\xA6\n");
}

TEST(CTNetworkRouterTest, OnMasterPort_ChecksumCoversStreamPrefix) {
    Rig r("Direct", "CT Network");
    r.dst.IsTNCPort = CPortHandler::TncMaster;
    r.src.PortStreamID = "B";
    r.Feed("hello");
    EXPECT_EQ(r.dst.written, "|Bhello\xD2\n");
}

TEST(CTNetworkRouterTest, SpotDupe_NotSentTwice) {
    Rig r("Cluster User", "CT Network");
    r.dstRouter.SetDupeLength(2);
    r.Feed(UserSpot);
    r.Feed(UserSpot);
    EXPECT_EQ(r.dst.written, SpotPacket);
}

TEST(CTNetworkRouterTest, ProcessInput_TracesPacketWithChecksumAndHandsItOnWithout) {
    Rig r("CT Network", "Command");
    FakePort& log = r.host.AddPort("LOG");
    r.srcRouter.SetTracePort(&log);
    r.Feed("A1hello");
    EXPECT_EQ(log.written, "TRACE: SRC>A1hello\x80\n");
    EXPECT_EQ(r.dst.written, "A1hello\r\n");
}

TEST(CTNetworkRouterTest, Save_WritesNoCallKeys) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("CTE"), "CT Network");
    EXPECT_EQ(Saved(router), "InputType=4\n"
                             "DupeLength=0\n"
                             "CRLFOption=0\n"
                             "BlockDashAtOption=0\n"
                             "StripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=0\n");
}

struct CrlfDefaultRow {
    const char* name;
    int tncRole;
    int crlf;
};

class CTNetworkCrlfDefault : public testing::TestWithParam<CrlfDefaultRow> {};

TEST_P(CTNetworkCrlfDefault, AbsentKey_NoneOrCrOnMaster) {
    FakePortHost host;
    FakePort& port = host.AddPort("CTE", GetParam().tncRole);
    const std::vector<std::string> lines = {"DupeLength=9", "PortType=CTE"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::CTNetwork, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "CT Network");
    EXPECT_EQ(router.DupeLength(), 9);
    EXPECT_EQ(router.CRLFOption, GetParam().crlf);
    EXPECT_EQ(router.MyCall, "MYCALL");
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, CTNetworkCrlfDefault,
                         testing::Values(CrlfDefaultRow{"NotTnc", CPortHandler::TncNone, 0},
                                         CrlfDefaultRow{"Master", CPortHandler::TncMaster, 1},
                                         CrlfDefaultRow{"Slave", CPortHandler::TncSlave, 0}),
                         [](const testing::TestParamInfo<CrlfDefaultRow>& info) {
                             return info.param.name;
                         });

} // namespace
