#include "document/RouteSetupModel.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rig;

class RouteSetupModelTest : public testing::Test {
  protected:
    RouteSetupModelTest() {
        for (const char* name : {"CON", "TEL", "NODE"}) {
            Give(host.AddPort(name), "Command");
        }
    }
    CRouter& RouterOf(std::size_t i) { return *host.ports[i]->Router(); }

    FakePortHost host;
    int marked = 0;
    CRouteSetupModel model{host, [this] { ++marked; }};
};

TEST_F(RouteSetupModelTest, PortNames_InPortOrder) {
    EXPECT_EQ(model.PortNames(), (std::vector<std::string>{"CON", "TEL", "NODE"}));
}

TEST_F(RouteSetupModelTest, DisplayText_NoRoutes_OneBlankPerPort) {
    EXPECT_EQ(model.DisplayText(), "CON=>   \r\nTEL=>   \r\nNODE=>   \r\n");
    EXPECT_FALSE(model.IsModified());
}

TEST_F(RouteSetupModelTest, AddRoute_TwoWayAndTrace_ShownPerPort) {
    EXPECT_TRUE(model.AddRoute("CON", "TEL", true));
    EXPECT_TRUE(model.AddRoute("TEL", "NODE", false));
    EXPECT_TRUE(model.AddTrace("TEL", "CON"));
    EXPECT_EQ(model.DisplayText(), "CON=>TEL   \r\n"
                                   "TEL=>[Trace=CON]CON NODE  \r\n"
                                   "NODE=>   \r\n");
    EXPECT_EQ(marked, 3);
    EXPECT_TRUE(model.IsModified());
    EXPECT_TRUE(host.ui.messages.empty());
}

TEST_F(RouteSetupModelTest, AddRoute_TwiceOneEntryToItselfRefused) {
    model.AddRoute("TEL", "NODE", false);
    model.AddRoute("TEL", "NODE", false);
    marked = 0;
    EXPECT_FALSE(model.AddRoute("CON", "CON", true));
    EXPECT_EQ(RouterOf(1).RouteCount(), 1);
    EXPECT_EQ(RouterOf(0).RouteCount(), 0);
    EXPECT_EQ(marked, 0);
    EXPECT_EQ(model.DisplayText(), "CON=>   \r\nTEL=>NODE   \r\nNODE=>   \r\n");
}

TEST_F(RouteSetupModelTest, RemoveRoute_TwoWayFromMiddle_KeepsOthersInOrder) {
    model.AddRoute("CON", "TEL", true);
    model.AddRoute("CON", "NODE", false);
    marked = 0;
    EXPECT_TRUE(model.RemoveRoute("CON", "TEL", true));
    EXPECT_EQ(model.DisplayText(), "CON=>NODE   \r\nTEL=>   \r\nNODE=>   \r\n");
    EXPECT_EQ(marked, 1);
}

TEST_F(RouteSetupModelTest, NameNotFound_RoutersMessageAndNothingChanges) {
    EXPECT_FALSE(model.AddRoute("CON", "tel", true));
    EXPECT_FALSE(model.RemoveRoute("XYZ", "TEL", false));
    EXPECT_EQ(host.ui.messages,
              (std::vector<std::string>{"Routers not found, something badly wrong!",
                                        "Routers not found, something badly wrong!"}));
    EXPECT_EQ(marked, 0);
    EXPECT_FALSE(model.IsModified());
    EXPECT_EQ(model.DisplayText(), "CON=>   \r\nTEL=>   \r\nNODE=>   \r\n");
}

TEST_F(RouteSetupModelTest, TraceCommandsThatFail_StillMarkModified) {
    EXPECT_TRUE(model.AddTrace("CON", "LOG"));
    EXPECT_TRUE(model.RemoveTrace("LOG"));
    EXPECT_EQ(host.ui.messages,
              (std::vector<std::string>{"Port not found, something badly wrong!",
                                        "Routers not found, something badly wrong!"}));
    EXPECT_EQ(marked, 2);
    EXPECT_EQ(RouterOf(0).GetTracePort(), nullptr);
}

TEST_F(RouteSetupModelTest, RemoveTrace_ClearsOnlyThatPortsTrace) {
    model.AddTrace("CON", "NODE");
    model.AddTrace("TEL", "NODE");
    model.RemoveTrace("CON");
    EXPECT_EQ(RouterOf(0).GetTracePort(), nullptr);
    EXPECT_EQ(RouterOf(1).GetTracePort(), host.ports[2].get());
}

TEST_F(RouteSetupModelTest, DuplicateNames_LastPortWins) {
    FakePort& second = host.AddPort("TEL");
    Give(second, "Command");
    model.AddRoute("CON", "TEL", false);
    EXPECT_EQ(RouterOf(0).GetRoute(0), second.Router());
}

TEST(RouteSetupModelEmptyTest, EmptyPortList_MessagesAndEmptyDisplay) {
    FakePortHost host;
    CRouteSetupModel model(host);
    model.AddRoute("CON", "TEL", false);
    model.AddTrace("CON", "CON");
    model.RemoveTrace("CON");
    EXPECT_EQ(host.ui.messages,
              (std::vector<std::string>{"Routers not found, something badly wrong!",
                                        "Port not found, something badly wrong!",
                                        "Routers not found, something badly wrong!"}));
    EXPECT_EQ(model.DisplayText(), "");
    EXPECT_TRUE(model.IsModified());
}

} // namespace
