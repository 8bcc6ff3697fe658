#include "routing/DirectRouter.h"

#include "DestinationMatrix.h"
#include "RouterRig.h"

#include "platform/CommandIds.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace rig;

class DirectDestination : public testing::TestWithParam<MatrixRow> {};

TEST_P(DirectDestination, SendsNonEmptyLinesUnchangedRefusesPassThru) {
    ExpectRow("Direct", GetParam());
}

INSTANTIATE_TEST_SUITE_P(EverySourceKind, DirectDestination,
                         testing::ValuesIn(DestinationRows(&SourceCase::direct)), RowName);

// A TNC on one MASTER port with two stream ports, all Direct and routed to
// each other both ways.
class TncStreams : public testing::Test {
  protected:
    TncStreams() {
        CRouter& master = Give(tnc, "Direct");
        master.CRLFOption = 1;
        for (FakePort* stream : {&a, &b}) {
            CRouter& slave = Give(*stream, "Direct");
            master.AddRoute(&slave);
            slave.AddRoute(&master);
        }
        a.PortStreamID = "A";
        b.PortStreamID = "B";
        for (FakePort* p : {&tnc, &a, &b}) {
            p->ComeUp();
        }
        host.RouteAll();
    }
    void Receive(FakePort& port, const std::string& bytes) {
        port.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
        host.RouteAll();
    }

    FakePortHost host;
    FakePort& tnc = host.AddPort("TNC", CPortHandler::TncMaster);
    FakePort& a = host.AddPort("STA", CPortHandler::TncSlave);
    FakePort& b = host.AddPort("STB", CPortHandler::TncSlave);
};

TEST_F(TncStreams, SlaveLine_GoesToTncBehindItsStreamPrefix) {
    Receive(a, "connect dl1xyz\r\n");
    Receive(b, "hello\r");
    EXPECT_EQ(tnc.written, "|Aconnect dl1xyz\r|Bhello\r");
    EXPECT_EQ(a.written, "");
    EXPECT_EQ(b.written, "");
}

TEST_F(TncStreams, MasterLine_ReachesOnlyItsOwnStream) {
    Receive(tnc, "|Atext for a\r");
    Receive(tnc, "|Btext for b\r");
    EXPECT_EQ(a.written, "text for a\r\n");
    EXPECT_EQ(b.written, "text for b\r\n");
    EXPECT_EQ(tnc.written, "");
}

TEST_F(TncStreams, MasterLineWithTwoStreams_CharacterBeforeNextSwitchIsDropped) {
    Receive(tnc, "|Ahello |Bworld\r");
    EXPECT_EQ(a.written, "hello\r\n");
    EXPECT_EQ(b.written, "world\r\n");
}

TEST_F(TncStreams, MasterLineWithOwnStreamTwice_OnlyFirstPieceTaken) {
    Receive(tnc, "|Aab |Acd\r");
    EXPECT_EQ(a.written, "ab\r\n");
}

TEST_F(TncStreams, MasterLineOfOtherStreamOrEmptyText_SendsNothing) {
    Receive(tnc, "|Cnobody\r");
    Receive(tnc, "|A|Bsecond\r");
    Receive(tnc, "plain text\r");
    EXPECT_EQ(a.written, "");
    EXPECT_EQ(b.written, "second\r\n");
}

TEST_F(TncStreams, MasterStripsUpToThreeTrailingLineEnds) {
    tnc.Router()->Take(DirectLine("line\r\n\r\n"), a);
    tnc.Router()->Take(DirectLine("x\n"), b);
    EXPECT_EQ(tnc.written, "|Aline\r\r|Bx\r");
}

TEST_F(TncStreams, StreamsAreNotTraced) {
    FakePort& log = host.AddPort("LOG");
    tnc.Router()->SetTracePort(&log);
    a.Router()->SetTracePort(&log);
    Receive(a, "out\r");
    Receive(tnc, "|Ain\r");
    EXPECT_EQ(log.written, "TRACE: STA>out\nTRACE: TNC>|Ain\n");
    EXPECT_EQ(tnc.written, "|Aout\r");
    EXPECT_EQ(a.written, "in\r\n");
}

TEST_F(TncStreams, ConnectedReport_StoresCallAndReconnectsStream) {
    host.commands.clear();
    Receive(tnc, "|A*** connected to dl1xyz-2 via NODE\r");
    EXPECT_EQ(a.written, "");
    const std::vector<std::pair<CPortHandler*, int>> expected = {{&a, PortCommand::Disconnect},
                                                                 {&a, PortCommand::Connect}};
    EXPECT_EQ(host.commands, expected);

    // The stored call is what the script inserts for "\%".
    ConnectScriptValues v = a.Script().Values();
    v.prompts[0] = "";
    v.responses[0] = "Hello \\%";
    a.Script().ApplyDialog(v);
    a.Script().Start();
    EXPECT_EQ(a.Script().Check(""), std::optional<std::string>("Hello DL1XYZ-2"));
}

TEST_F(TncStreams, ConnectedReportOnDisconnectedStream_OnlyConnects) {
    b.GoDown();
    host.commands.clear();
    Receive(tnc, "|B*** CONNECTED TO G3ABC\r");
    const std::vector<std::pair<CPortHandler*, int>> expected = {{&b, PortCommand::Connect}};
    EXPECT_EQ(host.commands, expected);
}

TEST_F(TncStreams, DisconnectedReport_DisconnectsStream) {
    host.commands.clear();
    Receive(tnc, "|A*** DISCONNECTED\r");
    const std::vector<std::pair<CPortHandler*, int>> expected = {{&a, PortCommand::Disconnect}};
    EXPECT_EQ(host.commands, expected);
    EXPECT_EQ(a.written, "");
}

// An identifier that begins with the switch character: recurrences of the
// own marker continue the text, any other switch sequence ends it.
struct SwitchLedRow {
    const char* name;
    const char* id;
    const char* line;
    const char* written;
};

class SwitchLedStreamId : public testing::TestWithParam<SwitchLedRow> {};

TEST_P(SwitchLedStreamId, NeverTakesOtherStreamsText) {
    FakePortHost host;
    FakePort& tnc = host.AddPort("TNC", CPortHandler::TncMaster);
    FakePort& s = host.AddPort("S", CPortHandler::TncSlave);
    Give(tnc, "Direct");
    Give(s, "Direct");
    s.PortStreamID = GetParam().id;
    s.Router()->Take(DirectLine(GetParam().line), tnc);
    EXPECT_EQ(s.written, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SwitchLedStreamId,
    testing::Values(SwitchLedRow{"WholeRest", "|A", "||Ahello", "hello\r\n"},
                    SwitchLedRow{"OtherStreamAfter", "|A", "||Ahello |Bsecret", "hello\r\n"},
                    SwitchLedRow{"OwnMarkerContinues", "|A", "||Aab ||Acd", "abcd\r\n"},
                    SwitchLedRow{"OtherStreamBetween", "|A", "||Aab |Bsecret||Acd", "ab\r\n"},
                    SwitchLedRow{"OtherStreamOnly", "|A", "|Asecret", ""},
                    SwitchLedRow{"SwitchOnlyId", "|", "||x ||y |Bz", "xy\r\n"},
                    SwitchLedRow{"EmptyIdTakesNothing", "", "|Bsecret", ""}),
    [](const testing::TestParamInfo<SwitchLedRow>& info) { return info.param.name; });

TEST(DirectRouterTest, ReceivedOnMaster_ReachesOtherTypesWithPrefix) {
    Rig r("Direct", "Cluster User");
    r.src.IsTNCPort = CPortHandler::TncMaster;
    r.Feed("|Ahello");
    EXPECT_EQ(r.dst.written, "|Ahello\r\n");
}

TEST(DirectRouterTest, SaveAndLoad_LineEndingDefaultOnMasterIsCr) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC", CPortHandler::TncMaster);
    const std::vector<std::string> lines = {"BlockDashAtOption=0", "StripAtPoundOption=0",
                                            "OnlyPassSkimmerCQOption=0", "PortType=COM"};
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::Direct, setup, port);
    CRouter& router = *loaded;
    EXPECT_EQ(router.InputType, "Direct");
    EXPECT_EQ(Saved(router), "InputType=3\nCRLFOption=1\nBlockDashAtOption=0\n"
                             "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n");
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

} // namespace
