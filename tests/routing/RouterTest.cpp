#include "routing/Router.h"

#include "RouterRig.h"

#include "platform/CommandIds.h"
#include "spots/SpotParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

// ---- Output framing -------------------------------------------------------

struct FramingRow {
    const char* name;
    int ownRole;
    const char* sourceStreamId;
    int crlf;
    const char* expected;
};

class RouterFraming : public testing::TestWithParam<FramingRow> {};

TEST_P(RouterFraming, BeginAndEndOutput_PrefixOnMasterThenTerminator) {
    const FramingRow& row = GetParam();
    FakePortHost host;
    FakePort& own = host.AddPort("OWN", row.ownRole);
    FakePort& source = host.AddPort("SRC");
    source.PortStreamID = row.sourceStreamId;
    CRouter& router = Give(own, "Command");
    router.CRLFOption = row.crlf;
    router.BeginOutput(source);
    router.OutputBuffer() += "text";
    router.EndOutput(source);
    EXPECT_EQ(router.OutputBuffer(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RouterFraming,
    testing::Values(FramingRow{"Plain_None", CPortHandler::TncNone, "A", 0, "text"},
                    FramingRow{"Plain_Cr", CPortHandler::TncNone, "A", 1, "text\r"},
                    FramingRow{"Plain_Lf", CPortHandler::TncNone, "A", 2, "text\n"},
                    FramingRow{"Plain_CrLf", CPortHandler::TncNone, "A", 3, "text\r\n"},
                    FramingRow{"Plain_OutOfRange", CPortHandler::TncNone, "A", 7, "text"},
                    FramingRow{"Slave_NoPrefix", CPortHandler::TncSlave, "A", 1, "text\r"},
                    FramingRow{"Master_OneLetterId", CPortHandler::TncMaster, "A", 1, "|Atext\r"},
                    FramingRow{"Master_TwoLetterId", CPortHandler::TncMaster, "AB", 3,
                               "|ABtext\r\n"},
                    FramingRow{"Master_EmptyId", CPortHandler::TncMaster, "", 2, "|text\n"}),
    [](const testing::TestParamInfo<FramingRow>& info) { return info.param.name; });

TEST(RouterTest, BeginOutput_UsesOwnSwitchCharacter) {
    FakePortHost host;
    FakePort& own = host.AddPort("OWN", CPortHandler::TncMaster);
    own.StreamSW = '~';
    CRouter& router = Give(own, "Command");
    FakePort& source = host.AddPort("SRC");
    source.StreamSW = '|';
    source.PortStreamID = "C";
    router.BeginOutput(source);
    EXPECT_EQ(router.OutputBuffer(), "~C");
}

// ---- Dupe check and skimmer filter -----------------------------------------

SpotFields Spot(std::string_view spotter, std::string_view frequency, std::string_view call,
                std::string_view comment) {
    SpotFields s;
    s.Spotter = spotter;
    s.Frequency = frequency;
    s.DxCall = call;
    s.Comment = comment;
    s.Time = "1234";
    return s;
}

TEST(RouterTest, IsDupe_WithoutTable_NothingIsADupe) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("P"), "Cluster User");
    EXPECT_FALSE(router.IsDupe(Spot("K1ABC", "14025.0", "DL1XYZ", "cq")));
    EXPECT_FALSE(router.IsDupe(Spot("K1ABC", "14025.0", "DL1XYZ", "cq")));
}

TEST(RouterTest, IsDupe_Length3_FourthKeyPushesOutFirst) {
    FakePortHost host;
    CRouter& router = Give(host.AddPort("P"), "Cluster User");
    router.SetDupeLength(3);
    for (const char* call : {"K1AAA", "K1BBB", "K1CCC", "K1DDD"}) {
        EXPECT_FALSE(router.IsDupe(Spot("G3XYZ", "7010.0", call, ""))) << call;
    }
    EXPECT_TRUE(router.IsDupe(Spot("W1XX", "7010.0", "k1bbb", "other spotter")));
    EXPECT_TRUE(router.IsDupe(Spot("G3XYZ", "7010.0", "K1DDD", "")));
    EXPECT_TRUE(router.IsDupe(Spot("G3XYZ", "7010.0", "K1DD", "")));
    EXPECT_FALSE(router.IsDupe(Spot("G3XYZ", "7010.0", "K1AAA", "")));
}

struct SkimmerRow {
    const char* name;
    int option;
    const char* spotter;
    const char* comment;
    bool dropped;
};

class RouterSkimmerFilter : public testing::TestWithParam<SkimmerRow> {};

TEST_P(RouterSkimmerFilter, IsDupe_DropsSkimmerSpotsWithoutCq) {
    const SkimmerRow& row = GetParam();
    FakePortHost host;
    CRouter& router = Give(host.AddPort("P"), "Cluster User");
    router.OnlyPassSkimmerCQOption = row.option;
    EXPECT_EQ(router.IsDupe(Spot(row.spotter, "14025.0", "DL1XYZ", row.comment)), row.dropped);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RouterSkimmerFilter,
    testing::Values(SkimmerRow{"SkimmerTest", 1, "K1ABC-#", "TEST", true},
                    SkimmerRow{"SkimmerCq", 1, "K1ABC-#", "CQ 24 dB", false},
                    SkimmerRow{"SkimmerLowerCq", 1, "K1ABC-#", "cq 24 dB", true},
                    SkimmerRow{"HumanTest", 1, "K1ABC", "TEST", false},
                    SkimmerRow{"OptionOff", 0, "K1ABC-#", "TEST", false}),
    [](const testing::TestParamInfo<SkimmerRow>& info) { return info.param.name; });

// ---- Once-a-second work ------------------------------------------------------

class RouterTimer : public testing::Test {
  protected:
    RouterTimer() {
        Give(port, "Cluster User");
        port.KeepAlive().Set(1, host.clock);
    }
    void Arm() {
        ConnectScriptValues v = port.Script().Values();
        v.autoReconnect = true;
        v.autoTime = 60;
        port.Script().ApplyDialog(v);
    }
    void TickAt(std::int64_t seconds) {
        host.clock.seconds = start + seconds;
        port.OnTimer();
    }

    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    std::int64_t start = host.clock.seconds;
};

TEST_F(RouterTimer, KeepAliveArmedNothingReceived_EmptyLineAfterOneMinuteTimeoutAfterTwo) {
    Arm();
    port.Connect();
    TickAt(59);
    EXPECT_EQ(port.written, "");
    TickAt(60);
    EXPECT_EQ(port.written, "\r\n");
    EXPECT_TRUE(port.IsConnected());
    TickAt(119);
    EXPECT_EQ(port.written, "\r\n");
    TickAt(120);
    EXPECT_FALSE(port.IsConnected());
    EXPECT_EQ(host.ViewOf(0).Text(), "TEL: Port Timeout, Disconnecting port\n"
                                     "TEL: Port disconnected\n");
    // Nothing more goes out on the closed link.
    EXPECT_EQ(port.written, "\r\n");
}

TEST_F(RouterTimer, Reconnect_KeepAliveStartsAfreshOnTheNewLink) {
    Arm();
    port.Connect();
    TickAt(60);
    TickAt(120);
    ASSERT_FALSE(port.IsConnected());
    host.clock.seconds = start + 125;
    port.Connect();
    ASSERT_TRUE(port.IsConnected());
    port.written.clear();

    // The new link gets its keep-alive a minute in and its timeout after two.
    TickAt(185);
    EXPECT_TRUE(port.IsConnected());
    EXPECT_EQ(port.written, "\r\n");
    TickAt(245);
    EXPECT_FALSE(port.IsConnected());
}

TEST_F(RouterTimer, LineTakenBetweenKeepAlives_NoTimeout) {
    Arm();
    port.Connect();
    TickAt(60);
    port.OnReceive("hello\r", 6);
    host.RouteAll();
    TickAt(120);
    EXPECT_TRUE(port.IsConnected());
    EXPECT_EQ(port.written, "\r\n\r\n");
    TickAt(180);
    EXPECT_FALSE(port.IsConnected());
}

TEST_F(RouterTimer, NotArmed_OnlyKeepAlives) {
    port.Connect();
    for (int minute = 1; minute <= 3; ++minute) {
        TickAt(60 * minute);
    }
    EXPECT_TRUE(port.IsConnected());
    EXPECT_EQ(port.written, "\r\n\r\n\r\n");
    EXPECT_EQ(host.ViewOf(0).Text(), "");
}

TEST_F(RouterTimer, KeepAliveOnMaster_CarriesOwnStreamPrefix) {
    port.IsTNCPort = CPortHandler::TncMaster;
    port.PortStreamID = "C";
    port.Router()->CRLFOption = 1;
    port.Connect();
    TickAt(60);
    EXPECT_EQ(port.written, "|C\r");
}

TEST_F(RouterTimer, NotConnected_NothingAtAll) {
    ConnectScriptValues v = port.Script().Values();
    v.responses[0] = "hello";
    port.Script().ApplyDialog(v);
    port.Script().Start();
    TickAt(600);
    EXPECT_EQ(port.written, "");
}

TEST_F(RouterTimer, ScriptPolling_SendsEveryStepWithEmptyPromptThenWaits) {
    ConnectScriptValues v = port.Script().Values();
    v.responses[0] = "G4AAA";
    v.responses[1] = "set/page 0";
    v.responses[2] = "sh/dx";
    v.prompts[3] = "login:";
    v.responses[3] = "never";
    port.Script().ApplyDialog(v);
    port.Connect();
    // The link's first (empty) chunk answered the first step already.
    EXPECT_EQ(port.written, "G4AAA\r\n");
    TickAt(1);
    EXPECT_EQ(port.written, "G4AAA\r\nset/page 0\r\nsh/dx\r\n");
    TickAt(2);
    EXPECT_EQ(port.written, "G4AAA\r\nset/page 0\r\nsh/dx\r\n");
}

// ---- Route table ---------------------------------------------------------------

class RouteTable : public testing::Test {
  protected:
    RouteTable() {
        for (const char* name : {"A", "B", "C", "D"}) {
            routers.push_back(&Give(host.AddPort(name), "Direct"));
        }
    }
    std::string Names(const CRouter& r) const {
        std::string names;
        for (int i = 0; i < r.RouteCount(); ++i) {
            names += r.GetRoute(i) != nullptr ? r.GetRoute(i)->Port().PortName : "-";
        }
        return names;
    }
    FakePortHost host;
    std::vector<CRouter*> routers;
};

TEST_F(RouteTable, AddRoute_SameRouteTwice_OneEntry) {
    routers[0]->AddRoute(routers[1]);
    routers[0]->AddRoute(routers[1]);
    routers[0]->AddRoute(routers[0]);
    EXPECT_EQ(Names(*routers[0]), "BA");
}

TEST_F(RouteTable, AddRoute_EmptyEntryOnceAndSkippedByWalker) {
    CRouter& a = *routers[0];
    a.AddRoute(routers[1]);
    a.AddRoute(nullptr);
    a.AddRoute(routers[2]);
    a.AddRoute(nullptr);
    EXPECT_EQ(Names(a), "B-C");
    EXPECT_EQ(a.GetRoute(3), nullptr);
    EXPECT_EQ(a.GetRoute(-1), nullptr);
    host.ports[0]->ComeUp();
    host.ports[0]->OnReceive("x\r", 2);
    host.RouteAll();
    EXPECT_EQ(host.ports[1]->written, "x\r\n");
    EXPECT_EQ(host.ports[2]->written, "x\r\n");
}

TEST_F(RouteTable, AddRoute_FullListTakesNoMore) {
    std::vector<std::unique_ptr<CRouter>> extra;
    for (int i = 0; i < CRouter::MaxRoutes; ++i) {
        extra.push_back(RouterFactory::Create("Direct", *host.ports[1]));
        routers[0]->AddRoute(extra.back().get());
    }
    routers[0]->AddRoute(routers[2]);
    EXPECT_EQ(routers[0]->RouteCount(), 32);
    EXPECT_EQ(routers[0]->GetRoute(31), extra.back().get());
    EXPECT_EQ(routers[0]->GetRoute(32), nullptr);
}

TEST_F(RouteTable, RemoveRoute_FromMiddleKeepsOrder) {
    CRouter& a = *routers[0];
    for (CRouter* r : routers) {
        a.AddRoute(r);
    }
    a.RemoveRoute(routers[1]);
    EXPECT_EQ(Names(a), "ACD");
    EXPECT_EQ(a.GetRoute(3), nullptr);
    a.RemoveRoute(routers[1]);
    EXPECT_EQ(Names(a), "ACD");
    a.AddRoute(routers[1]);
    EXPECT_EQ(Names(a), "ACDB");
}

TEST_F(RouteTable, FindMasterRoute_FirstEntryOnMasterPort) {
    host.ports[2]->IsTNCPort = CPortHandler::TncMaster;
    host.ports[3]->IsTNCPort = CPortHandler::TncMaster;
    CRouter& a = *routers[0];
    EXPECT_EQ(a.FindMasterRoute(), nullptr);
    a.AddRoute(routers[1]);
    a.AddRoute(nullptr);
    a.AddRoute(routers[3]);
    a.AddRoute(routers[2]);
    EXPECT_EQ(a.FindMasterRoute(), routers[3]);
}

TEST_F(RouteTable, CopyRoutesFrom_KeepsEveryRouteIntoAndOutOfPortAndItsTrace) {
    FakePort& b = *host.ports[1];
    CRouter& old = *routers[1];
    old.AddRoute(routers[0]);
    old.AddRoute(&old);
    old.AddRoute(routers[2]);
    old.SetTracePort(host.ports[3].get());
    routers[0]->AddRoute(routers[2]);
    routers[0]->AddRoute(&old);
    routers[3]->AddRoute(&old);

    std::unique_ptr<CRouter> replaced = b.TakeRouter();
    b.SetRouter(RouterFactory::Create("Cluster User", b));
    CRouter& fresh = *b.Router();
    fresh.CopyRoutesFrom(*replaced, routers);
    replaced.reset();

    EXPECT_EQ(Names(fresh), "ABC");
    EXPECT_EQ(fresh.GetRoute(1), &fresh);
    EXPECT_EQ(fresh.GetTracePort(), host.ports[3].get());
    EXPECT_EQ(routers[0]->GetRoute(1), &fresh);
    EXPECT_EQ(routers[3]->GetRoute(0), &fresh);
    EXPECT_EQ(Names(*routers[0]), "CB");
}

// ---- Trace -------------------------------------------------------------------------

TEST(RouterTest, Trace_LineInWithStreamPrefixAndTextOutWithPrefixAndTerminator) {
    FakePortHost host;
    FakePort& src = host.AddPort("SRC", CPortHandler::TncMaster);
    FakePort& dst = host.AddPort("DST", CPortHandler::TncMaster);
    FakePort& log = host.AddPort("LOG");
    CRouter& in = Give(src, "Cluster User");
    CRouter& out = Give(dst, "Cluster User");
    in.AddRoute(&out);
    in.SetTracePort(&log);
    out.SetTracePort(&log);
    out.MyCall = "G4AAA";
    out.CRLFOption = 1;
    src.PortStreamID = "B";
    src.ComeUp();
    const std::string bytes = "|A" + UserSpot + "\r";
    src.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
    host.RouteAll();
    EXPECT_EQ(dst.written, "|BDX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r");
    EXPECT_EQ(log.written, "TRACE: SRC>|A" + UserSpot +
                               "\n"
                               "TRACE: DST<|BDX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r\n");
}

TEST(RouterTest, ProcessInput_OneLinePerCallWhileMoreWait) {
    FakePortHost host;
    FakePort& src = host.AddPort("SRC");
    FakePort& dst = host.AddPort("DST");
    Give(src, "Command").AddRoute(&Give(dst, "Command"));
    EXPECT_FALSE(src.ProcessInput());
    src.OnReceive("one\rtwo\r", 8);
    EXPECT_FALSE(src.ProcessInput()); // not connected
    src.ComeUp();
    EXPECT_TRUE(src.ProcessInput());
    EXPECT_EQ(dst.written, "one\r\n");
    EXPECT_FALSE(src.ProcessInput());
    EXPECT_EQ(dst.written, "one\r\ntwo\r\n");
    EXPECT_FALSE(src.KeepAlive().IsIdle());
}

} // namespace
