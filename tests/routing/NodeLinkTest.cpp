#include "routing/ClusterNodeRouter.h"

#include "port/PortSetupValues.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

const std::string Ping = "PC51^GB7SW^GB7TST^1^";
const std::string PingAnswer = "PC51^GB7TST^GB7SW^0^\r\n";
const std::string PartnerInit = "PC18^DXSpider Version: 1.57 Build: 592 pc9x^5300^";
const std::string PartnerNodes = "PC19^1^GB7TST^0^5300^H25^";
const std::string OwnInit = "PC18^Spotweaver " SPOTWEAVER_VERSION "^5401^\r\n";
const std::string LinkUp = "NODE: Node link with GB7TST up\n";

// A node port NODE (own call GB7SW) routed to a second node port OUT.
struct NodeLinkRig {
    explicit NodeLinkRig(int handshake, bool called = false) {
        node.called = called;
        auto& router = static_cast<CClusterNodeRouter&>(Give(node, "Cluster Node"));
        router.MyCall = "GB7SW";
        router.NodeHandshake = handshake;
        router.AddRoute(&Give(out, "Cluster Node"));
        out.ComeUp();
    }
    // Each line is a chunk of its own, as a partner sends it.
    void Receive(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            const std::string bytes = line + "\n";
            node.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
            host.RouteAll();
        }
    }
    FakePortHost host;
    FakePort& node = host.AddPort("NODE");
    FakePort& out = host.AddPort("OUT");
};

struct LinkRow {
    const char* name;
    int handshake;
    bool called;
    std::vector<std::string> lines;
    std::string written; // on the link of NODE
    std::string routed;  // on the link of OUT
    std::string shown;   // in the window of NODE
};

class NodeLinkTest : public testing::TestWithParam<LinkRow> {};

TEST_P(NodeLinkTest, AnswersOnItsOwnLinkRoutesTheRest) {
    const LinkRow& row = GetParam();
    NodeLinkRig r(row.handshake, row.called);
    r.node.ComeUp();
    r.Receive(row.lines);
    EXPECT_EQ(r.node.written, row.written);
    EXPECT_EQ(r.out.written, row.routed);
    EXPECT_EQ(r.host.ViewOf(0).Text(), row.shown);
}

const LinkRow kLinkRows[] = {
    {"PingForOwnCall_AnsweredNotRouted", 0, false, {Ping}, PingAnswer, "", ""},
    {"PingFlood_OneAnswerPerPing",
     0,
     false,
     {Ping, Ping, Ping},
     PingAnswer + PingAnswer + PingAnswer,
     "",
     ""},
    {"PingForOtherNode_PassesUnchanged",
     0,
     false,
     {"PC51^GB7XX^GB7TST^1^"},
     "",
     "PC51^GB7XX^GB7TST^1^\r\n",
     ""},
    {"PingAnswerForOwnCall_EndsHere", 0, false, {"PC51^GB7SW^GB7TST^0^"}, "", "", ""},
    {"BadPings_Ignored",
     0,
     false,
     {"PC51^GB7SW^GB7TST^", "PC51^GB7SW^^1^", "PC51^GB7SW^GB7TST01234567^1^",
      "PC51^GB7SW^GB7TST^1^5^", "PC51^GB7SW^GB7TST^2^"},
     "",
     "",
     ""},
    {"HandshakeOff_InitFramesPassUnanswered",
     0,
     false,
     {PartnerInit, "PC20^"},
     "",
     PartnerInit + "\r\nPC20^\r\n",
     ""},
    {"Calling_PartnerInitAnswered_UpOnItsDone",
     1,
     false,
     {PartnerInit, PartnerNodes, "PC22^",
      "PC11^14045.0^VP8NC^ 8-Dec-2026^0808Z^node node-out^G4BBB^GB7TST^H30"},
     "PC20^\r\n",
     PartnerNodes + "\r\n" +
         "PC11^14045.0^VP8NC^7-Dec-2026^0808Z^node node-out  <MYCALL^G4BBB^MYCALL^H99^~\r\n",
     LinkUp},
    {"Calling_InitOnPromptLine_Answered", 1, false, {"login: " + PartnerInit}, "PC20^\r\n", "", ""},
    {"Called_OpensAfterLogin_AnswersPartnerDone",
     1,
     true,
     {"GB7TST", "PC19^1^GB7TST^0^5300^1^GB7SW^0^5000^H25^", "PC20^"},
     OwnInit + "PC22^\r\n",
     "PC19^1^GB7TST^0^5300^1^GB7SW^0^5000^H25^\r\n",
     LinkUp},
    {"Called_PartnerSpeaksFirst_NoOwnInit",
     1,
     true,
     {PartnerInit, PartnerNodes, "PC22^"},
     "PC20^\r\n",
     PartnerNodes + "\r\n",
     LinkUp},
    {"RepeatedFrames_AnsweredOnce",
     1,
     false,
     {PartnerInit, PartnerNodes, "PC22^", PartnerInit, "PC22^"},
     "PC20^\r\n",
     PartnerNodes + "\r\n",
     LinkUp},
    {"BadInitFrames_IgnoredNotRouted",
     1,
     false,
     {"PC18^^5300^", "PC18^DXSpider^53a0^", "PC18^DXSpider^",
      "PC18^" + std::string(101, 'x') + "^5300^", "PC20^5^", "PC22^"},
     "",
     "",
     ""},
};

INSTANTIATE_TEST_SUITE_P(PartnerLines, NodeLinkTest, testing::ValuesIn(kLinkRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NodeLinkTest, OtherDataTypes_NeverAnswerNodeFrames) {
    for (const char* type : {"Command", "Cluster User", "Spider User", "Clusse User", "MIRC User",
                             "Direct", "PassThru", "CT Network", "CT User"}) {
        FakePortHost host;
        FakePort& port = host.AddPort("P");
        Give(port, type).MyCall = "GB7SW";
        port.ComeUp();
        const std::string bytes = PartnerInit + "\n" + Ping + "\nPC20^\n";
        port.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
        host.RouteAll();
        EXPECT_EQ(port.written, "") << type;
    }
}

// A login prompt that is the partner's call recurs in its frames; with
// automatic reconnection armed it must not be answered again once the link
// is up.
TEST(NodeLinkTest, LinkUp_PromptInLaterFrames_ScriptNotAnsweredAgain) {
    NodeLinkRig r(1);
    ConnectScriptValues script;
    script.prompts[0] = "GB7TST";
    script.responses[0] = "GB7SW";
    script.autoReconnect = true;
    r.node.Script().ApplyDialog(script);
    r.node.ComeUp();
    r.Receive({"GB7TST login:", PartnerInit, PartnerNodes, "PC22^", Ping,
               "PC11^14045.0^VP8NC^ 8-Dec-2026^0808Z^hi^G4BBB^GB7TST^H30"});
    EXPECT_EQ(r.node.written, "GB7SW\r\nPC20^\r\n" + PingAnswer);
}

TEST(NodeLinkTest, NodeHandshake_WrittenOnlyWhenOn_ReadBack) {
    FakePortHost host;
    FakePort& port = host.AddPort("NODE");
    auto& router = static_cast<CClusterNodeRouter&>(Give(port, "Cluster Node"));
    EXPECT_EQ(Saved(router).find("NodeHandshake"), std::string::npos);
    router.NodeHandshake = 1;
    const std::string saved = Saved(router);
    EXPECT_TRUE(saved.ends_with("OnlyPassSkimmerCQOption=0\nNodeHandshake=1\n")) << saved;

    std::vector<std::string> lines = Lines(saved);
    lines.erase(lines.begin());
    lines.push_back("PortType=TEL");
    CSetupFile setup(lines, host.ui);
    const auto loaded = Load(DataTypeCode::ClusterNode, setup, port);
    EXPECT_EQ(loaded->NodeHandshake, 1);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

TEST(NodeLinkTest, SetupDialog_NodeHandshakeTakenByClusterNodeOnly) {
    FakePortHost host;
    FakePort& port = host.AddPort("NODE");
    Give(port, "Cluster Node");
    host.ui.portDialog = [](PortSetupValues& v) {
        EXPECT_FALSE(v.nodeHandshake);
        v.nodeHandshake = true;
        return true;
    };
    ASSERT_TRUE(port.EditSetup());
    EXPECT_EQ(port.Router()->NodeHandshake, 1);
    host.ui.portDialog = [](PortSetupValues& v) {
        EXPECT_TRUE(v.nodeHandshake);
        v.dataType = "Cluster User";
        return true;
    };
    ASSERT_TRUE(port.EditSetup());
    EXPECT_EQ(port.Router()->NodeHandshake, 0);
}

} // namespace
