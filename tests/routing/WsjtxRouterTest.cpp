#include "routing/WsjtxRouter.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string DecodeSpot =
    "DX de G4ABC-#:   14075.2  K1ABC        FT8 -12 dB FN42 CQ DX          1308Z";

TEST(WsjtxRouterTest, AsSource_RoutesItsSpotLineAsASpot) {
    Rig r("WSJT-X", "CT User");
    r.Feed(DecodeSpot);
    EXPECT_EQ(r.dst.written, DecodeSpot + "\r\n");
    EXPECT_EQ(r.dstRouter.Counts().passed, 1);
}

TEST(WsjtxRouterTest, AsDestination_RefusesEveryLine) {
    Rig r("Cluster User", "WSJT-X");
    r.Feed(DecodeSpot);
    EXPECT_EQ(r.dst.written, "");
    EXPECT_NE(r.Shown().find("Can't route to WSJT-X, it takes no input."), std::string::npos);
}

TEST(WsjtxRouterTest, SaveAndLoad_RoundTripWithCode12) {
    FakePortHost host;
    FakePort& port = host.AddPort("WSJTX");
    const std::vector<std::string> lines = {"MyCall=G4AAA",         "DupeLength=7",
                                            "CRLFOption=3",         "BlockDashAtOption=0",
                                            "StripAtPoundOption=0", "OnlyPassSkimmerCQOption=1",
                                            "Filter=reject mode=CW"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::Wsjtx, setup, port);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->InputType, "WSJT-X");
    EXPECT_EQ(Saved(*loaded), "InputType=12\nMyCall=G4AAA\nDupeLength=7\nCRLFOption=3\n"
                              "BlockDashAtOption=0\nStripAtPoundOption=0\n"
                              "OnlyPassSkimmerCQOption=1\nFilter=reject mode=CW\n");
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
