#include "port/PortHandler.h"
#include "platform/CommandIds.h"
#include "port/ConnectScriptValues.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/SetupFile.h"
#include "spots/RouterOptions.h"
#include "support/FakePortHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The smallest router: it frames and sends, and routes nothing.
class PlainRouter : public CRouter {
  public:
    explicit PlainRouter(CRouterPort& port) : CRouter(port, DataTypeCode::Command) {
        InputType = "Plain";
    }
    void SaveSettings(CSetupFile&) const override {}

  protected:
    void Convert(const Spot&, const CRouterPort&) override {}
};

PlainRouter& GiveRouter(CPortHandler& port, int crlf = 3) {
    auto router = std::make_unique<PlainRouter>(port);
    router->CRLFOption = crlf;
    PlainRouter& ref = *router;
    port.SetRouter(std::move(router));
    return ref;
}

void ArmScript(CPortHandler& port, int autoTime) {
    ConnectScriptValues v = port.Script().Values();
    v.autoReconnect = true;
    v.autoTime = autoTime;
    port.Script().ApplyDialog(v);
}

std::vector<std::string> SetupLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

// ---- Once-a-second work ------------------------------------------------------

class PortTimer : public testing::Test {
  protected:
    PortTimer() {
        port.SetRouter(RouterFactory::Create("Cluster User", port));
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

TEST_F(PortTimer, KeepAliveArmedNothingReceived_EmptyLineAfterOneMinuteTimeoutAfterTwo) {
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

TEST_F(PortTimer, Reconnect_KeepAliveStartsAfreshOnTheNewLink) {
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

TEST_F(PortTimer, LineTakenBetweenKeepAlives_NoTimeout) {
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

TEST_F(PortTimer, NotArmed_OnlyKeepAlives) {
    port.Connect();
    for (int minute = 1; minute <= 3; ++minute) {
        TickAt(60 * minute);
    }
    EXPECT_TRUE(port.IsConnected());
    EXPECT_EQ(port.written, "\r\n\r\n\r\n");
    EXPECT_EQ(host.ViewOf(0).Text(), "");
}

TEST_F(PortTimer, KeepAliveOnMaster_CarriesOwnStreamPrefix) {
    port.IsTNCPort = CPortHandler::TncMaster;
    port.PortStreamID = "C";
    port.Router()->CRLFOption = 1;
    port.Connect();
    TickAt(60);
    EXPECT_EQ(port.written, "|C\r");
}

TEST_F(PortTimer, NotConnected_NothingAtAll) {
    ConnectScriptValues v = port.Script().Values();
    v.responses[0] = "hello";
    port.Script().ApplyDialog(v);
    port.Script().Start();
    TickAt(600);
    EXPECT_EQ(port.written, "");
}

TEST_F(PortTimer, ScriptPolling_SendsEveryStepWithEmptyPromptThenWaits) {
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

TEST(PortHandler, ProcessInput_OneLinePerCallWhileMoreWait) {
    FakePortHost host;
    FakePort& src = host.AddPort("SRC");
    FakePort& dst = host.AddPort("DST");
    src.SetRouter(RouterFactory::Create("Command", src));
    dst.SetRouter(RouterFactory::Create("Command", dst));
    src.Router()->AddRoute(dst.Router());
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

TEST(PortHandler, OnReceive_PutsBytesAnswersScriptAndPostsOneRequest) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    GiveRouter(port, 1);
    ConnectScriptValues v;
    v.prompts[0] = "login:";
    v.responses[0] = "N0CALL";
    port.Script().ApplyDialog(v);
    port.ComeUp();
    host.portData.clear();

    port.OnReceive("welcome\r\nlogin: ", 16);

    EXPECT_EQ(port.written, "N0CALL\r");
    EXPECT_EQ(host.ViewOf(0).Text(), "\nTEL: Script Send > N0CALL\n");
    ASSERT_EQ(host.portData.size(), 1u);
    EXPECT_EQ(host.portData[0], &port);
    EXPECT_EQ(port.PendingLines(), 2);
}

TEST(PortHandler, PendingLines_ZeroWhileDisconnectedEvenWithLinesHeld) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    port.RingBuffer().Put("a\r\nb\r\n", 6);
    EXPECT_EQ(port.PendingLines(), 0);
    port.ComeUp();
    EXPECT_EQ(port.PendingLines(), 4);
}

TEST(PortHandler, SendLine_FramesThroughRouterOfMasterPort) {
    FakePortHost host;
    FakePort& master = host.AddPort("TNC", CPortHandler::TncMaster);
    master.StreamSW = '|';
    master.PortStreamID = "B";
    GiveRouter(master, 1);

    master.SendLine("connect DB0XYZ");

    EXPECT_EQ(master.written, "|Bconnect DB0XYZ\r");
}

struct DiscCase {
    const char* name;
    const char* streamId;
    int masterCrlf;
    const char* expected;
};

class StreamDisconnect : public ::testing::TestWithParam<DiscCase> {};

TEST_P(StreamDisconnect, SlaveLinkEndSendsDiscToMaster) {
    const DiscCase& c = GetParam();
    FakePortHost host;
    FakePort& master = host.AddPort("TNC", CPortHandler::TncMaster);
    master.StreamSW = '~';
    PlainRouter& masterRouter = GiveRouter(master, c.masterCrlf);
    FakePort& slave = host.AddPort("S1", CPortHandler::TncSlave);
    slave.PortStreamID = c.streamId;
    PlainRouter& slaveRouter = GiveRouter(slave);
    slaveRouter.AddRoute(&masterRouter);

    slave.ComeUp();
    slave.DisconnectManual();

    EXPECT_EQ(master.written, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Terminators, StreamDisconnect,
    ::testing::Values(DiscCase{"OneLetterCr", "A", 1, "\x03~Adisc\r"},
                      DiscCase{"TwoLettersLf", "AB", 2, "\x03~ABdisc\n"},
                      DiscCase{"OneLetterCrLf", "C", 3, "\x03~Cdisc\r\n"},
                      DiscCase{"NoTerminator", "D", 0, "\x03~Ddisc"},
                      DiscCase{"UnknownOptionNoTerminator", "E", 7, "\x03~Edisc"}),
    [](const ::testing::TestParamInfo<DiscCase>& info) { return std::string(info.param.name); });

TEST(PortHandler, OnLinkEnd_SlaveWithoutMasterRouteSendsNothing) {
    FakePortHost host;
    FakePort& other = host.AddPort("X");
    PlainRouter& otherRouter = GiveRouter(other);
    FakePort& slave = host.AddPort("S1", CPortHandler::TncSlave);
    GiveRouter(slave).AddRoute(&otherRouter);

    slave.ComeUp();
    slave.DisconnectManual();

    EXPECT_EQ(other.written, "");
}

TEST(PortHandler, OnLinkEnd_ArmedWaitsAutoTimeSecondsThenPostsConnect) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    GiveRouter(port);
    ArmScript(port, 3);
    port.ComeUp();

    port.GoDown();
    EXPECT_TRUE(port.IsReconnectWaiting());
    EXPECT_NE(port.GetStatusText().find("/W"), std::string::npos);

    host.loop.Advance(2999);
    EXPECT_TRUE(host.commands.empty());
    host.loop.Advance(1);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].first, &port);
    EXPECT_EQ(host.commands[0].second, PortCommand::Connect);
    EXPECT_FALSE(port.IsReconnectWaiting());
    EXPECT_EQ(host.loop.ActiveTimers(), 0u);
}

TEST(PortHandler, OnLinkEnd_AutoTimeZeroPostsAtOnce) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    GiveRouter(port);
    ArmScript(port, 0);
    port.ComeUp();

    port.GoDown();

    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].second, PortCommand::Connect);
    EXPECT_FALSE(port.IsReconnectWaiting());
}

TEST(PortHandler, ReconnectWait_CancelledByReconnectOrDisarm) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    GiveRouter(port);
    ArmScript(port, 60);
    port.ComeUp();
    port.GoDown();
    host.loop.Advance(5000);
    port.ComeUp(); // connected again by hand
    host.loop.Advance(1000);
    EXPECT_FALSE(port.IsReconnectWaiting());
    host.loop.Advance(120000);
    EXPECT_TRUE(host.commands.empty());

    port.GoDown();
    EXPECT_TRUE(port.IsReconnectWaiting());
    port.Script().Stop();
    host.loop.Advance(1000);
    EXPECT_FALSE(port.IsReconnectWaiting());
    host.loop.Advance(120000);
    EXPECT_TRUE(host.commands.empty());
}

TEST(PortHandler, ManualDisconnect_NoReconnectAndStatusShowsMd) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    GiveRouter(port);
    ArmScript(port, 1);
    port.ComeUp();

    port.DisconnectManual();
    host.loop.Advance(10000);

    EXPECT_TRUE(host.commands.empty());
    EXPECT_EQ(port.GetStatusText(), " TEL=D/MD ");
    EXPECT_EQ(host.ViewOf(0).Status(), "D/MD");
}

TEST(PortHandler, GetStatusText_ShowsStepEmptyResponseArmedAndWaiting) {
    FakePortHost host;
    FakePort& port = host.AddPort("NODE");
    GiveRouter(port);
    ConnectScriptValues v;
    v.prompts[0] = "login:";
    v.responses[0] = "N0CALL";
    v.prompts[1] = "password:";
    v.responses[1] = "secret";
    v.autoReconnect = true;
    port.Script().ApplyDialog(v);
    EXPECT_EQ(port.GetStatusText(), " NODE=D/A ");

    port.ComeUp();
    EXPECT_EQ(port.GetStatusText(), " NODE=C/S1/A ");
    port.OnReceive("login:", 6);
    EXPECT_EQ(port.GetStatusText(), " NODE=C/S2/A ");
    port.OnReceive("password:", 9);
    EXPECT_EQ(port.GetStatusText(), " NODE=C/S*/A ");
}

TEST(PortHandler, SaveAndLoad_CommonBlockInOrderWithPlacement) {
    FakePortHost host;
    FakePort& port = host.AddPort("TNC2", CPortHandler::TncSlave);
    port.PortStreamID = "AB";
    port.StreamSW = '|';
    port.KeepAlive().Set(5, host.clock);
    host.ViewOf(0).placement = WindowPlacement{3, -1, -1, -8, -30, 10, 20, 610, 420};
    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    port.Save(writer);

    const std::string expected =
        "PortType=FAKE\nBufferSize=32000\nKeepAlive=5\nScriptSteps=10\n"
        "Prompt=\nResponse=\nPrompt=\nResponse=\nPrompt=\nResponse=\nPrompt=\nResponse=\n"
        "Prompt=\nResponse=\nPrompt=\nResponse=\nPrompt=\nResponse=\nPrompt=\nResponse=\n"
        "Prompt=\nResponse=\nPrompt=\nResponse=\nAutoReConnect=0\nAutoTime=60\n"
        "PortName=TNC2\nIsTNCPort=2\nStreamSW=|\nPortStreamID=AB\n"
        "showCmd=3\nptMinPosition.x=-1\nptMinPosition.y=-1\nptMaxPosition.x=-8\n"
        "ptMaxPosition.y=-30\nrcNormalPosition.left=10\nrcNormalPosition.top=20\n"
        "rcNormalPosition.right=610\nrcNormalPosition.bottom=420\n";
    EXPECT_EQ(saved, expected);

    std::vector<std::string> lines = SetupLines(saved);
    lines.erase(lines.begin()); // the document reads "PortType"
    CSetupFile reader(lines, host.ui);
    RecordingPortView view;
    FakePort loaded(reader, host, view);
    EXPECT_TRUE(host.ui.messages.empty());
    EXPECT_EQ(loaded.PortName, "TNC2");
    EXPECT_EQ(loaded.IsTNCPort, 2);
    EXPECT_EQ(loaded.StreamSW, '|');
    EXPECT_EQ(loaded.PortStreamID, "AB");
    EXPECT_EQ(loaded.BufferSize(), 32000);
    EXPECT_EQ(loaded.KeepAlive().Minutes(), 5);
    EXPECT_EQ(view.placement, (WindowPlacement{3, -1, -1, -8, -30, 10, 20, 610, 420}));
    EXPECT_EQ(view.PortName(), "TNC2");
}

TEST(PortHandler, Load_WithoutScriptBlockArmsReconnectAfter60AndCutsLongIds) {
    FakePortHost host;
    const std::vector<std::string> lines = {"BufferSize=500", "KeepAlive=0", "PortName=N",
                                            "IsTNCPort=0",    "StreamSW=#x", "PortStreamID=XYZ"};
    CSetupFile reader(lines, host.ui);
    RecordingPortView view;
    FakePort port(reader, host, view);
    EXPECT_TRUE(host.ui.messages.empty());
    EXPECT_TRUE(port.Script().AutoReConnect());
    EXPECT_TRUE(port.Script().AutoReconnectArmed());
    EXPECT_EQ(port.Script().AutoTime(), 60);
    EXPECT_EQ(port.StreamSW, '#');
    EXPECT_EQ(port.PortStreamID, "XY");
    EXPECT_EQ(port.BufferSize(), 500);
}

TEST(PortHandler, Load_HostileBufferSizeIsClampedWithMessage) {
    FakePortHost host;
    const std::vector<std::string> lines = {
        "BufferSize=2000000000", "KeepAlive=-4", "PortName=N",
        "IsTNCPort=0",           "StreamSW=|",   "PortStreamID=A"};
    CSetupFile reader(lines, host.ui);
    RecordingPortView view;
    FakePort port(reader, host, view);
    EXPECT_EQ(port.BufferSize(), 8 * 1024 * 1024);
    EXPECT_EQ(view.Text(), "N: BufferSize 2000000000 is out of range, using 8388608\n");
    EXPECT_EQ(port.KeepAlive().Minutes(), 0);
}

TEST(PortHandler, Connect_AttachesInputBarAndDisconnectDetaches) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    port.Connect();
    EXPECT_EQ(host.ViewOf(0).inputPort, &port);
    port.Disconnect();
    EXPECT_EQ(host.ViewOf(0).inputPort, nullptr);
}

TEST(PortHandler, PrintMessage_PrefixesNameAndEndsLine) {
    FakePortHost host;
    FakePort& port = host.AddPort("COM");
    port.PrintMessage("Port connected");
    EXPECT_EQ(host.ViewOf(0).Text(), "COM: Port connected\n");
}

// A new router takes the dialog's values of the keys its type stores, except
// that a new CT Network router starts without a dupe table; editing the port
// then applies every value.
TEST(PortHandler, CreateRouter_TakesItsTypesKeysAndEditAppliesTheRest) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    const RouterSetup values{.options = {.MyCall = "G4ABC",
                                         .AntiLoopPrefix = " <",
                                         .HopsOut = "12",
                                         .CRLFOption = 2,
                                         .StripAtPoundOption = 1},
                             .dupeLength = 5};
    auto saved = [&port] {
        std::string text;
        CSetupFile writer([&text](std::string_view line) { text += line; });
        port.Router()->Save(writer);
        return text;
    };

    port.CreateRouter("Cluster Node", values, false);
    EXPECT_EQ(saved(), "InputType=2\nMyCall=G4ABC\nHopsOut=12\nAntiLoopPrefix= <\nDupeLength=5\n"
                       "CRLFOption=2\nBlockDashAtOption=0\nStripAtPoundOption=1\n"
                       "OnlyPassSkimmerCQOption=0\n");

    port.CreateRouter("CT Network", values, false);
    EXPECT_EQ(saved(), "InputType=4\nDupeLength=0\nCRLFOption=2\nBlockDashAtOption=0\n"
                       "StripAtPoundOption=1\nOnlyPassSkimmerCQOption=0\n");
    port.ApplyRouterSetup(values);
    EXPECT_EQ(port.Router()->DupeLength(), 5);
    EXPECT_EQ(port.Router()->MyCall, "G4ABC");
}

// The dialog shows the repeat interval of a PSK Reporter port and an edit
// of it reaches the router (and so the setup file).
TEST(PortHandler, EditValues_PskRepeatShownAndApplied) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    port.CreateRouter("PSK Reporter", RouterSetup{}, false);
    PortSetupValues values;
    port.FillSetupValues(values);
    EXPECT_EQ(values.pskRepeat, 10);
    values.pskRepeat = 3;
    port.ApplyEditValues(values);
    EXPECT_EQ(port.Router()->PskRepeat, 3);
}
