#include "transport/ConsoleHandler.h"

#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"

#include <gtest/gtest.h>

namespace {

class ConsoleHandlerTest : public ::testing::Test {
  protected:
    ConsoleHandlerTest() {
        console.PortName = "CON";
        console.RingBuffer().SetSize(128);
        console.SetRouter(RouterFactory::Create("Command", console));
    }

    RecordingUi& ui() { return host.ui; }

    FakePortHost host;
    RecordingPortView view;
    CConsoleHandler console{host, view};
};

TEST_F(ConsoleHandlerTest, SetupNewPort_OffersConAndCommandAndAppliesOk) {
    CConsoleHandler added{host, view};
    ui().portDialog = [](PortSetupValues& v) {
        v.name = "OTHER";
        v.crlf = 3;
        v.addConsoleRoutes = false;
        return true;
    };

    ASSERT_TRUE(added.SetupNewPort());

    const PortSetupValues& shown = ui().portDialogsShown.at(0);
    EXPECT_EQ(shown.kind, "CON");
    EXPECT_EQ(shown.mode, PortSetupMode::NewPort);
    EXPECT_EQ(shown.name, "CON");
    EXPECT_EQ(shown.dataType, "Command");
    EXPECT_EQ(added.PortName, "CON");
    ASSERT_NE(added.Router(), nullptr);
    EXPECT_EQ(added.Router()->InputType, "Command");
    EXPECT_EQ(added.Router()->CRLFOption, 3);
    EXPECT_EQ(added.BufferSize(), 32000);
}

TEST_F(ConsoleHandlerTest, SetupNewPort_CancelMakesNoRouter) {
    CConsoleHandler added{host, view};
    ui().portDialog = [](PortSetupValues&) { return false; };
    EXPECT_FALSE(added.SetupNewPort());
    EXPECT_EQ(added.Router(), nullptr);
}

TEST_F(ConsoleHandlerTest, ConnectAndDisconnect_ReportAndBindTheInput) {
    console.Connect();
    EXPECT_TRUE(console.IsConnected());
    EXPECT_FALSE(console.IsStopped());
    EXPECT_EQ(view.inputPort, &console);
    console.Connect();

    console.Disconnect();
    console.Disconnect();

    EXPECT_FALSE(console.IsConnected());
    EXPECT_TRUE(console.IsStopped());
    EXPECT_EQ(view.inputPort, nullptr);
    EXPECT_EQ(view.Text(), "CON: Port connected\nCON: Port disconnected\n");
}

TEST_F(ConsoleHandlerTest, TypedLine_EntersTheRingBufferAndIsEchoedFramed) {
    console.Connect();
    view.ClearText();

    console.SendLine("sh/dx");

    EXPECT_EQ(view.Text(), "sh/dx\r\n");
    EXPECT_EQ(console.PendingLines(), 1);
    EXPECT_EQ(console.RingBuffer().GetLine(), "sh/dx");
    ASSERT_FALSE(host.portData.empty());
    EXPECT_EQ(host.portData.back(), &console);
}

TEST_F(ConsoleHandlerTest, TypedLine_IsRoutedToTheConsolesRoutes) {
    FakePort& node = host.AddPort("NODE");
    node.SetRouter(RouterFactory::Create("Command", node));
    node.Router()->CRLFOption = 2;
    console.Router()->AddRoute(node.Router());
    console.Connect();

    console.SendLine("DX de G4ABC:     14025.0  DL1XYZ       CQ                  1230Z");
    while (console.ProcessInput()) {
    }

    EXPECT_EQ(node.written, "DX de G4ABC:     14025.0  DL1XYZ       CQ                  1230Z\n");
}

TEST_F(ConsoleHandlerTest, TypedLine_LongerThanTheFreeRoomIsRefused) {
    console.Connect();
    view.ClearText();

    console.SendLine(std::string(130, 'x'));

    EXPECT_EQ(view.Text(), "CON: Input buffer full, typed line not taken\n");
    EXPECT_EQ(console.PendingLines(), 0);
}

TEST_F(ConsoleHandlerTest, Write_ShowsAtMostLenBytesAndStopsAtNul) {
    console.Write("abcdef", 3);
    console.Write("xy\0zz", 5);
    console.SendText("routed while disconnected\r\n");
    EXPECT_EQ(view.Text(), "abcxyrouted while disconnected\r\n");
}

TEST_F(ConsoleHandlerTest, Save_WritesTheTypeAndNoKindKeysAndReadsBack) {
    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    console.Save(writer);

    EXPECT_EQ(saved.substr(0, 13), "PortType=CON\n");
    EXPECT_EQ(saved.substr(saved.size() - 26), "rcNormalPosition.bottom=0\n");

    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = saved.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(saved.substr(start, end - start));
    }
    CSetupFile reader(lines, host.ui);
    EXPECT_EQ(reader.GetString("PortType"), "CON");
    RecordingPortView loadedView;
    CConsoleHandler loaded{reader, host, loadedView};
    EXPECT_EQ(loaded.PortName, "CON");
    EXPECT_EQ(loadedView.PortName(), "CON");
    EXPECT_TRUE(host.ui.messages.empty());
}

TEST_F(ConsoleHandlerTest, EditSetup_KeepsTheNameCon) {
    ui().portDialog = [](PortSetupValues& v) {
        EXPECT_EQ(v.mode, PortSetupMode::DisconnectedEdit);
        EXPECT_EQ(v.dataType, "Command");
        v.name = "RENAMED";
        v.crlf = 2;
        return true;
    };
    ASSERT_TRUE(console.EditSetup());
    EXPECT_EQ(console.PortName, "CON");
    EXPECT_EQ(console.Router()->CRLFOption, 2);
}

} // namespace
