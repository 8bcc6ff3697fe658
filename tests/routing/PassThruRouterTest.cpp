#include "routing/PassThruRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class PassThruDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(PassThruDestination, WritesPassThruBytesRefusesEverythingElse) {
    ExpectRow("PassThru", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, PassThruDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::passThru)), RowName);

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
