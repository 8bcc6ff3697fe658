#include "routing/CTUserRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class CTUserDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(CTUserDestination, ShowsSpotsAsDxDeLinesPassesTextRefusesCT) {
    ExpectRow("CT User", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, CTUserDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::ctUser)), RowName);

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
    EXPECT_EQ(r.dst.written, DxDeLine + Talk + "\r\n" + Talk + "\r\n");
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
