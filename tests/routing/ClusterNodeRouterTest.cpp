#include "routing/ClusterNodeRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class ClusterNodeDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(ClusterNodeDestination, IssuesPc11PassesNodeFramesRefusesCT) {
    ExpectRow("Cluster Node", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, ClusterNodeDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::node)), RowName);

// Two node ports feeding a third.
struct NodeTriangle {
    NodeTriangle() {
        CRouter& out = Give(dst, "Cluster Node");
        out.MyCall = "G4AAA";
        out.HopsOut = "7";
        Give(first, "Cluster Node").AddRoute(&out);
        Give(second, "Cluster Node").AddRoute(&out);
        for (FakePort* p : {&first, &second, &dst}) {
            p->ComeUp();
        }
        host.RouteAll();
    }
    void Receive(FakePort& port, const std::string& line) {
        const std::string bytes = line + "\r";
        port.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
        host.RouteAll();
    }
    FakePortHost host;
    FakePort& first = host.AddPort("N1");
    FakePort& second = host.AddPort("N2");
    FakePort& dst = host.AddPort("DST");
};

TEST(ClusterNodeRouterTest, Pc11FromTwoNodes_ReissuedOnceUnderOwnCallAndHops) {
    NodeTriangle r;
    r.dst.Router()->SetDupeLength(10);
    r.Receive(r.first, NodeSpot);
    r.Receive(r.second, "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE2^H3^~");
    EXPECT_EQ(r.dst.written,
              "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <G4AAA^K1ABC^G4AAA^H7^~\r\n");
}

TEST(ClusterNodeRouterTest, Ar17Frame_ReissuedAsPc11) {
    NodeTriangle r;
    r.Receive(r.first, "AR17^NODE1^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H5^~");
    EXPECT_EQ(r.dst.written,
              "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <G4AAA^K1ABC^G4AAA^H7^~\r\n");
}

TEST(ClusterNodeRouterTest, NonSpotFrame_PassesEveryTimeWithoutDupeTest) {
    NodeTriangle r;
    r.dst.Router()->SetDupeLength(10);
    r.Receive(r.first, NodeFrame);
    r.Receive(r.second, NodeFrame);
    EXPECT_EQ(r.dst.written, NodeFrame + "\r\n" + NodeFrame + "\r\n");
}

TEST(ClusterNodeRouterTest, IrcSpotCarryingOwnLoopMark_IsNotSent) {
    Rig r("MIRC User", "Cluster Node");
    r.Feed(":K1ABC!k@irc.example PRIVMSG #CQDX :\x03"
           "1,15 K1ABC        14025.0 DL1XYZ       cq  <G4AAA                  1234");
    EXPECT_EQ(r.dst.written, "");
    r.Feed(":K1ABC!k@irc.example PRIVMSG #CQDX :\x03"
           "1,15 K1ABC        14025.0 DL1XYZ       cq  <G4BBB                  1234");
    EXPECT_EQ(r.dst.written,
              "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq  <G4BBB  <G4AAA^K1ABC^G4AAA^H99^~\r\n");
}

TEST(ClusterNodeRouterTest, SolarAnnouncement_BecomesAr19EveryTime) {
    Rig r("MIRC User", "Cluster Node");
    r.dstRouter.SetDupeLength(10);
    const std::string solar = ":SolarMonitor!sm@irc.example PRIVMSG #cqdx :\x03"
                              "4,1 SFI=150 A=5 K=1";
    r.Feed(solar);
    r.Feed(solar);
    const std::string frame =
        "AR19^1^SolarMonitor^SOLAR^ SFI=150 A=5 K=1^SOLAR.LST^G4AAA^0^K^MA^H99^~\r\n";
    EXPECT_EQ(r.dst.written, frame + frame);
}

TEST(ClusterNodeRouterTest, Save_WritesHopsOutAfterMyCall) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("NODE"), "Cluster Node");
    EXPECT_EQ(Saved(router), "InputType=2\n"
                             "MyCall=MYCALL\n"
                             "HopsOut=99\n"
                             "AntiLoopPrefix=  <\n"
                             "DupeLength=0\n"
                             "CRLFOption=3\n"
                             "BlockDashAtOption=0\n"
                             "StripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=0\n");
}

TEST(ClusterNodeRouterTest, Load_HopsOutCutToTwoCharacters) {
    FakePortHost host;
    FakePort& port = host.AddPort("NODE", CPortHandler::TncMaster);
    const std::vector<std::string> lines = {"MyCall=G4AAA", "HopsOut=123", "DupeLength=4",
                                            "PortType=TEL"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::ClusterNode, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Cluster Node");
    EXPECT_EQ(router.MyCall, "G4AAA");
    EXPECT_EQ(router.HopsOut, "12");
    EXPECT_EQ(router.AntiLoopPrefix, "  <");
    EXPECT_EQ(router.DupeLength(), 4);
    EXPECT_EQ(router.CRLFOption, 1);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
