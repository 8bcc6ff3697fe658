#include "routing/ClusterUserRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace rig;

class ClusterUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(ClusterUserDestination, PostsSpotterCommandsPassesTextRefusesPassThru) {
    ExpectRow("Cluster User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, ClusterUserDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::user, SpotterCommand)),
                         RowName);

// Two sources routed to one Cluster User port.
struct TwoSources {
    TwoSources(const std::string& firstType, const std::string& secondType) {
        CRouter& out = Give(dst, "Cluster User");
        out.MyCall = "G4AAA";
        Give(first, firstType).AddRoute(&out);
        Give(second, secondType).AddRoute(&out);
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
    FakePort& first = host.AddPort("ONE");
    FakePort& second = host.AddPort("TWO");
    FakePort& dst = host.AddPort("DST");
};

TEST(ClusterUserRouterTest, FromTwoSources_SameSpotWithDupeLength_PostedOnce) {
    TwoSources r("Cluster User", "Cluster Node");
    r.dst.Router()->SetDupeLength(10);
    r.Receive(r.first, UserSpot);
    r.Receive(r.second, NodeSpot);
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

TEST(ClusterUserRouterTest, FromTwoSources_SameSpotWithoutDupeLength_PostedTwice) {
    TwoSources r("Cluster User", "Cluster Node");
    r.Receive(r.first, UserSpot);
    r.Receive(r.second, NodeSpot);
    EXPECT_EQ(r.dst.written, SpotterCommand + SpotterCommand);
}

TEST(ClusterUserRouterTest, DupeKey_LowerCaseCallAfterUpperCase_IsDupe) {
    TwoSources r("Cluster User", "Cluster Node");
    r.dst.Router()->SetDupeLength(10);
    r.Receive(r.first, UserSpot);
    r.Receive(r.second, "PC11^14025.0^dl1xyz^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

TEST(ClusterUserRouterTest, ProcessInput_RecordsOwnSpot_SameSpotFromAnotherPortIsDropped) {
    TwoSources r("Cluster Node", "Cluster User");
    // DST routes back into the node port: the spot it saw itself is a dupe
    // there when the node offers it.
    r.dst.Router()->SetDupeLength(10);
    r.dst.Router()->AddRoute(r.first.Router());
    r.Receive(r.dst, UserSpot);
    EXPECT_EQ(r.first.written,
              "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <MYCALL^K1ABC^MYCALL^H99^~\r\n");
    r.Receive(r.first, NodeSpot);
    EXPECT_EQ(r.dst.written, "");
}

TEST(ClusterUserRouterTest, SpotCarryingOwnLoopMark_IsNotPosted) {
    Rig r("Cluster Node", "Cluster User");
    r.Feed("PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <G4AAA^K1ABC^NODE1^H5^~");
    r.Feed("PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^x  <G4AAA y^K1ABC^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "");
    r.Feed("PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <G4BBB^K1ABC^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "DX/K1ABC 14025.0 DL1XYZ cq cq  <G4BBB  <G4AAA\r\n");
}

TEST(ClusterUserRouterTest, SkimmerFilter_PassesOnlyCqFromSkimmers) {
    Rig r("Cluster Node", "Cluster User");
    r.dstRouter.OnlyPassSkimmerCQOption = 1;
    r.Feed("PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^TEST^K1ABC-#^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "");
    r.Feed("PC11^14026.0^DL1XYZ^7-Dec-2026^1234Z^CQ 22 WPM^K1ABC-#^NODE1^H5^~");
    r.Feed("PC11^14027.0^DL1XYZ^7-Dec-2026^1234Z^TEST^K1ABC^NODE1^H5^~");
    EXPECT_EQ(r.dst.written, "DX/K1ABC-# 14026.0 DL1XYZ CQ 22 WPM  <G4AAA\r\n"
                             "DX/K1ABC 14027.0 DL1XYZ TEST  <G4AAA\r\n");
}

TEST(ClusterUserRouterTest, FromCTNetwork_ShortAPacket_SendsEmptyLine) {
    Rig r("CT Network", "Cluster User");
    r.Feed("A1");
    r.Feed("A");
    EXPECT_EQ(r.dst.written, "\r\n\r\n");
}

TEST(ClusterUserRouterTest, ReceivedOnMasterPort_SkipsStreamPrefixBeforeDestinations) {
    Rig r("Cluster User", "Cluster User");
    r.src.IsTNCPort = CPortHandler::TncMaster;
    r.Feed("|A" + UserSpot);
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

TEST(ClusterUserRouterTest, OnMasterPort_FramesWithSourceStreamAndCr) {
    Rig r("Cluster Node", "Cluster User");
    r.dst.IsTNCPort = CPortHandler::TncMaster;
    r.dstRouter.CRLFOption = 1;
    r.src.PortStreamID = "B";
    r.Feed(NodeSpot);
    EXPECT_EQ(r.dst.written, "|BDX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r");
}

TEST(ClusterUserRouterTest, Trace_ShowsLineInAndTextOut) {
    Rig r("Cluster User", "Cluster User");
    FakePort& log = r.host.AddPort("LOG");
    r.srcRouter.SetTracePort(&log);
    r.dstRouter.SetTracePort(&log);
    r.Feed(UserSpot);
    EXPECT_EQ(log.written, "TRACE: SRC>" + UserSpot + "\nTRACE: DST<" + SpotterCommand + "\n");
}

TEST(ClusterUserRouterTest, Save_WritesItsKeysInOrder) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("TEL"), "Cluster User");
    EXPECT_EQ(Saved(router), "InputType=1\n"
                             "MyCall=MYCALL\n"
                             "AntiLoopPrefix=  <\n"
                             "DupeLength=0\n"
                             "CRLFOption=3\n"
                             "BlockDashAtOption=0\n"
                             "StripAtPoundOption=0\n"
                             "OnlyPassSkimmerCQOption=0\n");
}

TEST(ClusterUserRouterTest, Load_ReadsEveryKeyAndStopsBeforeTheNextSection) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    const std::vector<std::string> lines = {"MyCall=G4AAA",
                                            "AntiLoopPrefix= <",
                                            "DupeLength=5",
                                            "CRLFOption=2",
                                            "BlockDashAtOption=1",
                                            "StripAtPoundOption=1",
                                            "OnlyPassSkimmerCQOption=1",
                                            "PortType=TEL"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::ClusterUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Cluster User");
    EXPECT_EQ(router.MyCall, "G4AAA");
    EXPECT_EQ(router.AntiLoopPrefix, " <");
    EXPECT_EQ(router.DupeLength(), 5);
    EXPECT_EQ(router.CRLFOption, 2);
    EXPECT_EQ(router.BlockDashAtOption, 1);
    EXPECT_EQ(router.StripAtPoundOption, 1);
    EXPECT_EQ(router.OnlyPassSkimmerCQOption, 1);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
    EXPECT_EQ(Saved(router), "InputType=1\nMyCall=G4AAA\nAntiLoopPrefix= <\nDupeLength=5\n"
                             "CRLFOption=2\nBlockDashAtOption=1\nStripAtPoundOption=1\n"
                             "OnlyPassSkimmerCQOption=1\n");
}

struct OlderFileRow {
    const char* name;
    int tncRole;
    std::vector<std::string> lines;
    std::string prefix;
    int crlf;
};

class ClusterUserOlderFile : public testing::TestWithParam<OlderFileRow> {};

TEST_P(ClusterUserOlderFile, AbsentOptionalKeysKeepDefaults) {
    const OlderFileRow& row = GetParam();
    FakePortHost host;
    FakePort& port = host.AddPort("TEL", row.tncRole);
    CSetupFile setup(row.lines, host.ui);
    const auto loaded = Load(DataTypeCode::ClusterUser, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.MyCall, "G4AAA");
    EXPECT_EQ(router.AntiLoopPrefix, row.prefix);
    EXPECT_EQ(router.DupeLength(), 0);
    EXPECT_EQ(router.CRLFOption, row.crlf);
    EXPECT_EQ(router.BlockDashAtOption, 0);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ClusterUserOlderFile,
    testing::Values(
        OlderFileRow{
            "OnlyMyCall", CPortHandler::TncNone, {"MyCall=G4AAA", "PortType=TEL"}, "  <", 3},
        OlderFileRow{"OnlyMyCallOnMaster",
                     CPortHandler::TncMaster,
                     {"MyCall=G4AAA", "PortType=TEL"},
                     "  <",
                     1},
        OlderFileRow{"OnlyMyCallOnSlave",
                     CPortHandler::TncSlave,
                     {"MyCall=G4AAA", "PortType=TEL"},
                     "  <",
                     3},
        OlderFileRow{"EmptyPrefixThenCrLfOnMaster",
                     CPortHandler::TncMaster,
                     {"MyCall=G4AAA", "AntiLoopPrefix=", "CRLFOption=3", "PortType=TEL"},
                     "",
                     3}),
    [](const testing::TestParamInfo<OlderFileRow>& info) { return info.param.name; });

} // namespace
