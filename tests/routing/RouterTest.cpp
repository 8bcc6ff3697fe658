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

// ---- One parse, each destination's options ---------------------------------

// The source parses the line once; the spotter options of the source and of
// each destination apply to their own copy of the fields only.
TEST(RouterTest, OneSpot_EachDestinationAppliesOnlyItsOwnSpotterOptions) {
    FakePortHost host;
    FakePort& src = host.AddPort("SRC");
    CRouter& in = Give(src, "Cluster User");
    in.StripAtPoundOption = 1;
    in.BlockDashAtOption = 1;
    std::vector<FakePort*> outs;
    for (const char* name : {"PLAIN", "BLOCK", "STRIP"}) {
        outs.push_back(&host.AddPort(name));
        CRouter& out = Give(*outs.back(), "Cluster User");
        out.MyCall = "G4AAA";
        out.BlockDashAtOption = outs.size() == 2 ? 1 : 0;
        out.StripAtPoundOption = outs.size() == 3 ? 1 : 0;
        in.AddRoute(&out);
    }
    src.ComeUp();
    const std::string line =
        "DX de K1ABC-@:   14025.0  DL1XYZ       cq cq                          1234Z\r";
    src.OnReceive(line.data(), static_cast<int>(line.size()));
    host.RouteAll();
    EXPECT_EQ(outs[0]->written, "DX/K1ABC-@ 14025.0 DL1XYZ cq cq  <G4AAA\r\n");
    EXPECT_EQ(outs[1]->written, "");
    EXPECT_EQ(outs[2]->written, "DX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r\n");
}

// A source that produces the fields itself hands them on as they are: the
// destination formats them and never parses the line.
TEST(RouterTest, RouteSpot_FieldsOfTheSource_PostedWithoutAParse) {
    Rig r("Cluster Node", "Cluster User");
    ::Spot spot;
    spot.source = SourceKind::ClusterNode;
    spot.line = "decoded elsewhere";
    spot.isSpot = true;
    spot.fields = {"K1ABC", "14025.0", "DL1XYZ", "cq cq", "1234"};
    r.srcRouter.Route(spot);
    EXPECT_EQ(r.dst.written, SpotterCommand);
}

// The dupe key a spot's routers share views the parse of the source; the
// next spot, parsed from the same memory, must not be checked by it.
TEST(RouterTest, SpotsParsedFromTheSameMemory_EachCheckedAsItself) {
    Rig r("Cluster User", "Cluster User");
    r.dstRouter.SetDupeLength(10);
    std::string line =
        "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z";
    r.srcRouter.Route(line);
    line.replace(line.find("DL1XYZ"), 6, "DL1XYA");
    r.srcRouter.Route(line);
    r.srcRouter.Route(line);
    r.host.RouteAll();
    EXPECT_EQ(r.dst.written, "DX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r\n"
                             "DX/K1ABC 14025.0 DL1XYA cq cq  <G4AAA\r\n");
}

TEST(RouterTest, SpotValuesInTheSameMemory_EachCheckedAsItself) {
    Rig r("Cluster Node", "Cluster User");
    r.dstRouter.SetDupeLength(10);
    std::string call = "DL1XYZ";
    ::Spot spot;
    spot.source = SourceKind::ClusterNode;
    spot.line = "decoded elsewhere";
    spot.isSpot = true;
    spot.fields = {"K1ABC", "14025.0", call, "cq cq", "1234"};
    r.srcRouter.Route(spot);
    call.back() = 'A';
    r.srcRouter.Route(spot);
    r.srcRouter.Route(spot);
    EXPECT_EQ(r.dst.written, "DX/K1ABC 14025.0 DL1XYZ cq cq  <G4AAA\r\n"
                             "DX/K1ABC 14025.0 DL1XYA cq cq  <G4AAA\r\n");
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

} // namespace
