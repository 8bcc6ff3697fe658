#include "routing/CTUserRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string CTNetworkRefused = Shown("Can't route CT Network to CT User.");
const std::string CTUserRefused = Shown("Can't route CT User to CT User.");
const std::string DxDe = UserSpot + "\r\n";

const std::vector<MatrixRow> CTUserRows = {
    {"Command_Spot", "Command", TypedSpot, TypedSpot + "\r\n", ""},
    {"Command_Text", "Command", "sh/dx", "sh/dx\r\n", ""},
    {"Command_Empty", "Command", "", "", ""},
    {"Command_CrLed", "Command", "\rsh/dx", "", ""},
    {"ClusterUser_Spot", "Cluster User", UserSpot, DxDe, ""},
    {"ClusterUser_Text", "Cluster User", Talk, Talk + "\r\n", ""},
    {"ClusterUser_Empty", "Cluster User", "", "", ""},
    {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "", ""},
    {"SpiderUser_Spot", "Spider User", UserSpot, DxDe, ""},
    {"SpiderUser_Text", "Spider User", Talk, Talk + "\r\n", ""},
    {"SpiderUser_Empty", "Spider User", "", "", ""},
    {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "", ""},
    {"ClusseUser_Spot", "Clusse User", ClusseSpot, DxDe, ""},
    {"ClusseUser_Text", "Clusse User", Talk, Talk + "\r\n", ""},
    {"ClusseUser_Empty", "Clusse User", "", "", ""},
    {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "", ""},
    {"MircUser_Spot", "MIRC User", IrcSpot, DxDe, ""},
    {"MircUser_Text", "MIRC User", IrcTalk, "", ""},
    {"MircUser_Empty", "MIRC User", "", "", ""},
    {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "", ""},
    {"ClusterNode_Spot", "Cluster Node", NodeSpot, DxDe, ""},
    {"ClusterNode_Text", "Cluster Node", NodeFrame, "", ""},
    {"ClusterNode_Empty", "Cluster Node", "", "", ""},
    {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "", ""},
    {"Direct_Spot", "Direct", UserSpot, DxDe, ""},
    {"Direct_Text", "Direct", "hello", "hello\r\n", ""},
    {"Direct_Empty", "Direct", "", "", ""},
    {"Direct_CrLed", "Direct", "\rhello", "", ""},
    {"PassThru_Spot", "PassThru", UserSpot + "\r\n", "", FromPassThruRefused},
    {"PassThru_Text", "PassThru", "\x01raw", "", FromPassThruRefused},
    {"PassThru_Empty", "PassThru", "", "", ""},
    {"PassThru_CrLed", "PassThru", "\rabc", "", ""},
    {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, "", CTNetworkRefused},
    {"CTNetwork_Text", "CT Network", "A1hello", "", CTNetworkRefused},
    {"CTNetwork_Empty", "CT Network", "", "", ""},
    {"CTNetwork_CrLed", "CT Network", "\rA1hello", "", ""},
    {"CTUser_Spot", "CT User", TypedSpot, "", CTUserRefused},
    {"CTUser_Text", "CT User", "hello", "", CTUserRefused},
    {"CTUser_Empty", "CT User", "", "", ""},
    {"CTUser_CrLed", "CT User", "\rhello", "", ""},
};

class CTUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CTUserDestination, ShowsSpotsAsDxDeLinesPassesTextRefusesCT) {
    ExpectRow("CT User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CTUserDestination, testing::ValuesIn(CTUserRows),
                         RowName);

TEST(CTUserRouterTest, LongSpotterAndFrequency_FrequencyStillEndsAtColumn23) {
    Rig r("Cluster Node", "CT User");
    r.Feed("PC11^14430.00000^DL1XYZ^7-Dec-2026^1234Z^cq^DL1ABCDEFGHIJ^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "DX de DL1ABCD14430.00000  DL1XYZ       cq"
                             "                             1234Z\r\n");
}

TEST(CTUserRouterTest, SpotDupe_NotSentTwiceButTextIs) {
    Rig r("Cluster User", "CT User");
    r.dstRouter.SetDupeLength(2);
    r.Feed(UserSpot);
    r.Feed(Talk);
    r.Feed(UserSpot);
    r.Feed(Talk);
    EXPECT_EQ(r.dst.written, DxDe + Talk + "\r\n" + Talk + "\r\n");
}

TEST(CTUserRouterTest, AsSource_TypedLinesReachClusterUserUnchanged) {
    Rig r("CT User", "Cluster User");
    r.Feed(TypedSpot);
    EXPECT_EQ(r.dst.written, TypedSpot + "\r\n");
}

TEST(CTUserRouterTest, SaveAndLoad_DefaultCrLfIs3OffTnc) {
    FakePortHost host;
    FakePort& port = host.AddPort("LOG");
    const std::vector<std::string> lines = {"DupeLength=4", "PortType=FILE"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::CTUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "CT User");
    EXPECT_EQ(Saved(router), "InputType=5\nDupeLength=4\nCRLFOption=3\nBlockDashAtOption=0\n"
                             "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n");
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
