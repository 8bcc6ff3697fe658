#include "routing/CTNetworkRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

// "B0", the "DX de" line of the spot, its checksum byte and a line feed.

class CTNetworkDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CTNetworkDestination, SendsChecksummedPacketsRefusesCTUser) {
    ExpectRow("CT Network", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CTNetworkDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::ctNetwork)), RowName);

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
    EXPECT_EQ(r.dst.written, CTSpotPacket);
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
