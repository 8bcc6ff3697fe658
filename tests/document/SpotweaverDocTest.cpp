#include "document/SpotweaverDoc.h"

#include "FakePortFactory.h"
#include "SetupText.h"
#include "document/RouteSetupModel.h"
#include "platform/CommandIds.h"
#include "routing/Router.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

using namespace SetupText;

namespace {

constexpr const char* Loaded = "Ports loaded, use Connect command to start\n";

std::string Con(const std::string& name) {
    return Port("CON", name) + CommandRouter();
}

// Seven ports of six kinds and five data types, with traces, a route list
// with an empty entry in the middle, a script with escapes and TNC roles.
std::string CanonicalSetup() {
    const std::string nodeScript =
        Script({{"login:", "G4ABC\\M"}, {"password:", "\\%"}, {">", "set/page 0\\\\"}}, 1, 30);
    return Header(7, -13, 700, "Lucida Console") + Con("CON") +
           Port("TEL", "NODE1", 0, "A", nodeScript, 5) +
           "HostName=dxc.example.net\nPortNumber=7300\n" + NodeRouter("G4ABC") +
           Port("COM", "TNC", 1, "A") +
           "ComPort=COM1\nBaudRate=9600\nBits=8\nParity=0\nStopBits=0\nFlowControl=4\n" +
           DirectRouter(1) + Port("RXTEL", "STREAMB", 2, "B") +
           "HostName=0.0.0.0\nPortNumber=7301\n" + DirectRouter(3) + Port("FILE", "LOG") +
           "FileName=spots.log\n" + CtRouter(5, 3) + Port("CTE", "CTNET") +
           "MyIP=192.0.2.10\nBroadcastIP=192.0.2.255\nPortNumber=9870\n" + CtRouter(4, 0) +
           Port("TEL", "SPIDER") + "HostName=dx.example.org\nPortNumber=8000\n" +
           UserRouter(9, "G4ABC") + Routes(0, {2, 5, 7, 0, 0, 0, 0}) +
           Routes(5, {1, 0, 5, 0, 0, 0, 0}) + Routes(0, {4, 0, 0, 0, 0, 0, 0}) +
           Routes(0, {3, 0, 0, 0, 0, 0, 0}) + Routes(0, {0, 0, 0, 0, 0, 0, 0}) +
           Routes(0, {1, 0, 0, 0, 0, 0, 0}) + Routes(0, {1, 6, 0, 0, 0, 0, 0}) + Layout();
}

std::string WithLineEnds(const std::string& text, const std::string& end) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += end;
        } else {
            out += c;
        }
    }
    return out;
}

class SpotweaverDocTest : public ::testing::Test {
  protected:
    void Load(const std::string& text) {
        doc.Read(text);
        doc.LoadPorts();
    }
    FakeKindPort& PortAt(int i) { return static_cast<FakeKindPort&>(*doc.Port(i)); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < doc.PortCount(); ++i) {
            names.push_back(doc.Port(i)->PortName);
        }
        return names;
    }
    // Three ports A, B and DEST of data type Command; A and B route to DEST.
    void LoadTwoSourcesAndSink() {
        Load(Header(3) + Port("TEL", "A") + CommandRouter() + Port("TEL", "B") + CommandRouter() +
             Port("FILE", "DEST") + "FileName=x\n" + CommandRouter() + Routes(0, {3, 0, 0}) +
             Routes(0, {3, 0, 0}) + Routes(0, {0, 0, 0}) + Layout());
        doc.OnPortCommand("A", PortCommand::Connect);
        doc.OnPortCommand("B", PortCommand::Connect);
        loop.RunPosted();
        ui.mainView.ClearText();
    }
    // Adds ports through the Add New menu with the names P1, P2, ...
    void AddNamedPorts(int count) {
        ui.portDialog = [this](PortSetupValues& v) {
            v.name = "P" + std::to_string(++m_named);
            v.addConsoleRoutes = false;
            return true;
        };
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(doc.AddPort("TEL"));
        }
    }

    ManualEventLoop loop;
    SettableClock clock;
    RecordingUi ui;
    FakePortFactory factory;
    CSpotweaverDoc doc{loop, clock, ui, factory};

  private:
    int m_named = 0;
};

// ------------------------------------------------------------ save and load

TEST_F(SpotweaverDocTest, SaveLoad_CanonicalSetupSavesBackByteForByte) {
    Load(CanonicalSetup());

    EXPECT_EQ(doc.SaveToString(), CanonicalSetup());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(doc.FontSize, -13);
    EXPECT_EQ(doc.FontWeight, 700);
    EXPECT_EQ(doc.FontFace, "Lucida Console");
    EXPECT_EQ(ui.appliedFont.size, -13);
    EXPECT_EQ(ui.appliedFont.face, "Lucida Console");
}

TEST_F(SpotweaverDocTest, Load_BuildsRoutesTracesAndTncRolesFromTheSections) {
    Load(CanonicalSetup());

    ASSERT_EQ(Names(), (std::vector<std::string>{"CON", "NODE1", "TNC", "STREAMB", "LOG", "CTNET",
                                                 "SPIDER"}));
    CRouter& node = *doc.Port(1)->Router();
    EXPECT_EQ(node.InputType, "Cluster Node");
    EXPECT_EQ(node.GetTracePort(), doc.Port(4));
    ASSERT_EQ(node.RouteCount(), 3);
    EXPECT_EQ(node.GetRoute(0), doc.Port(0)->Router());
    EXPECT_EQ(node.GetRoute(1), nullptr);
    EXPECT_EQ(node.GetRoute(2), doc.Port(4)->Router());
    EXPECT_EQ(doc.Port(2)->IsTNCPort, CPortHandler::TncMaster);
    EXPECT_EQ(doc.Port(3)->IsTNCPort, CPortHandler::TncSlave);
    EXPECT_EQ(doc.Port(3)->PortStreamID, "B");
    EXPECT_EQ(PortAt(2).settings[1], (std::pair<std::string, std::string>{"BaudRate", "9600"}));
    EXPECT_EQ(ui.mainView.placement, (WindowPlacement{3, -1, -1, -1, -1, 0, 0, 800, 600}));
    EXPECT_EQ(ui.layout.consoleBarShown, 0);
    EXPECT_EQ(ui.layout.statusBar, (WindowPlacement{1, -1, -1, -1, -1, 0, 880, 1200, 900}));
}

TEST_F(SpotweaverDocTest, Load_CrLfAndCrOnlyCopiesLoadTheSame) {
    for (const char* end : {"\r\n", "\r"}) {
        CSpotweaverDoc other{loop, clock, ui, factory};
        other.Read(WithLineEnds(CanonicalSetup(), end));
        other.LoadPorts();
        EXPECT_EQ(other.SaveToString(), CanonicalSetup())
            << "line end " << (end[1] ? "CR LF" : "CR");
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SpotweaverDocTest, Load_FileWithoutFontLinesOrLayoutUsesDefaults) {
    const MainFrameLayout untouched = ui.layout;
    Load("NumberOfPorts=1\n" + Con("CON") + Routes(0, {0}));

    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(doc.FontSize, 20);
    EXPECT_EQ(doc.FontWeight, 400);
    EXPECT_EQ(doc.FontFace, "Courier New");
    EXPECT_EQ(ui.layout, untouched);
    EXPECT_EQ(ui.mainView.placement, WindowPlacement{});
    EXPECT_EQ(doc.SaveToString().substr(0, 64),
              "NumberOfPorts=1\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n");
}

TEST_F(SpotweaverDocTest, Load_PrintsEachPortThenReadyAndConnectsNothing) {
    Load(Header(3) + Con("A") + Con("B") + Con("C") + Routes(0, {0, 0, 0}) + Routes(0, {0, 0, 0}) +
         Routes(0, {0, 0, 0}) + Layout());

    EXPECT_EQ(ui.mainView.Text(),
              std::string("A port loaded\nB port loaded\nC port loaded\n") + Loaded);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(doc.Port(i)->IsConnected());
        EXPECT_EQ(PortAt(i).connectCalls, 0);
    }
    EXPECT_EQ(ui.selectorItems, (std::vector<std::string>{"ALL", "A", "B", "C"}));
    EXPECT_EQ(ui.selectorText, "ALL");
    EXPECT_TRUE(doc.IsRunning());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, Load_AgainReplacesThePortsOfTheFirstLoad) {
    Load(OneConsole());
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());

    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ui.selectorItems, (std::vector<std::string>{"ALL", "A", "B"}));
    EXPECT_EQ(ui.closedWindows, 1);
    EXPECT_EQ(loop.ActiveTimers(), 1u);
}

// --------------------------------------------------------- malformed files

struct MalformedFile {
    const char* name;
    std::string text;
    std::vector<std::string> ports;
    std::string mainView;
    const char* unavailableKind = "";
};

void PrintTo(const MalformedFile& row, std::ostream* os) {
    *os << row.name;
}

std::string ThirtyThreeSections() {
    std::string text = Header(33);
    for (int i = 1; i <= 33; ++i) {
        text += Con("P" + std::to_string(i));
    }
    for (int i = 1; i <= 33; ++i) {
        std::vector<int> ports(33, 0);
        if (i == 1) {
            ports[0] = 33;
            ports[1] = 2;
        }
        text += Routes(0, ports);
    }
    return text + Layout();
}

std::vector<std::string> ThirtyTwoNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 32; ++i) {
        names.push_back("P" + std::to_string(i));
    }
    return names;
}

std::string ThirtyTwoLoaded() {
    std::string text;
    for (int i = 1; i <= 32; ++i) {
        text += "P" + std::to_string(i) + " port loaded\n";
    }
    return text;
}

const std::string BadInputType = Port("CON", "A") +
                                 "InputType=13\nCRLFOption=3\nBlockDashAtOption=0\n"
                                 "StripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";

const std::string PortBUpToName =
    "PortType=CON\nBufferSize=32000\nKeepAlive=0\n" + Script() + "PortName=B\n";

const MalformedFile kMalformedFiles[] = {
    {"EmptyFile", "", {}, std::string("Setup file is empty: no ports loaded\n") + Loaded},
    {"CutInsideFontLines",
     "NumberOfPorts=1\nFontSize=20\n",
     {},
     std::string("Setup file ends inside the font lines: no ports loaded\n") + Loaded},
    {"NegativeNumberOfPorts",
     "NumberOfPorts=-3\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n" + Con("A") +
         Routes(0, {0}) + Layout(),
     {},
     std::string("Setup file: NumberOfPorts=-3 is not a port count: no ports loaded\n") + Loaded},
    {"UnknownPortTypeSkipsItsSection",
     Header(3) + Con("A") + Port("XYZ", "B") + CommandRouter() + Con("C") + Routes(0, {3, 2, 0}) +
         Routes(1, {1, 0, 0}) + Routes(2, {0, 0, 0}) + Layout(),
     {"A", "C"},
     std::string("A port loaded\n"
                 "Setup file: port section 2 has the unknown PortType \"XYZ\": its lines are "
                 "skipped\n"
                 "C port loaded\n"
                 "Setup file: route section 1: dropped Port=2, which names no loaded port "
                 "(ports are numbered 1 to 3)\n"
                 "Setup file: route section 3: dropped Trace=2, which names no loaded port "
                 "(ports are numbered 1 to 3)\n") +
         Loaded},
    {"MoreThan32SectionsKeepsTheFirst32", ThirtyThreeSections(), ThirtyTwoNames(),
     ThirtyTwoLoaded() +
         "Setup file: port section 33 is past the limit of 32 ports: its lines are skipped\n"
         "Setup file: route section 1: dropped Port=33, which names no loaded port (ports are "
         "numbered 1 to 32: a setup loads at most 32 ports)\n" +
         Loaded},
    {"UnknownInputTypeDropsThePort",
     Header(2) + BadInputType + Con("B") + Routes(0, {2, 0}) + Routes(0, {1, 0}) + Layout(),
     {"B"},
     std::string("Setup file: port section 1 (A) has the unknown InputType 13: the port is not "
                 "loaded\n"
                 "B port loaded\n"
                 "Setup file: route section 2: dropped Port=1, which names no loaded port (ports "
                 "are numbered 1 to 2)\n") +
         Loaded},
    {"TraceAndPortNumbersOutOfRange",
     Header(2) + Con("A") + Con("B") + Routes(7, {2, -1}) + Routes(0, {1, 3}) + Layout(),
     {"A", "B"},
     std::string("A port loaded\nB port loaded\n"
                 "Setup file: route section 1: dropped Trace=7 Port=-1, which names no loaded "
                 "port (ports are numbered 1 to 2)\n"
                 "Setup file: route section 2: dropped Port=3, which names no loaded port (ports "
                 "are numbered 1 to 2)\n") +
         Loaded},
    {"CutInsidePortSection",
     Header(2) + Con("A") + PortBUpToName,
     {"A"},
     std::string("A port loaded\n"
                 "Setup file ends inside port section 2 (B): that port and the routes are not "
                 "loaded\n") +
         Loaded},
    {"CutInsideRouterKeys",
     Header(2) + Con("A") + Port("TEL", "B") +
         "HostName=h\nPortNumber=23\nInputType=2\nMyCall=G4ABC\n",
     {"A"},
     std::string("A port loaded\n"
                 "Setup file ends inside port section 2 (B): that port and the routes are not "
                 "loaded\n") +
         Loaded},
    {"CutBeforePortType",
     Header(2) + Con("A"),
     {"A"},
     std::string("A port loaded\n"
                 "Setup file ends before port section 2: the ports from there on are not "
                 "loaded\n") +
         Loaded},
    {"CutBeforeRouteSections",
     Header(1) + Con("A"),
     {"A"},
     std::string("A port loaded\nSetup file: only 0 of 1 route sections found\n") + Loaded},
    {"CutInsideRouteSection",
     Header(2) + Con("A") + Con("B") + Routes(0, {2}),
     {"A", "B"},
     std::string("A port loaded\nB port loaded\n"
                 "Setup file: route section 1 has 1 Port line instead of 2\n"
                 "Setup file: only 1 of 2 route sections found\n") +
         Loaded},
    {"CutInsideMainFrameLayout",
     Header(1) + Con("A") + Routes(0, {0}) + Placement(3, 0, 0, 800, 600) +
         "showCmd=1\nptMinPosition.x=-1\nptMinPosition.y=-1\n",
     {"A"},
     std::string("A port loaded\n"
                 "Setup file ends inside the main frame's layout: it is not applied\n") +
         Loaded},
    {"FewerPortSectionsThanNumberOfPorts",
     Header(3) + Con("A") + Con("B") + Routes(0, {2, 0}) + Routes(0, {1, 0}) + Layout(),
     {"A", "B"},
     std::string("A port loaded\nB port loaded\n"
                 "Setup file: NumberOfPorts=3 but only 2 port sections found\n") +
         Loaded},
    {"HugeNumberOfPortsEnds",
     Header(2147483647) + Con("A") + Routes(0, {0}) + Layout(),
     {"A"},
     std::string("A port loaded\n"
                 "Setup file: NumberOfPorts=2147483647 but only 1 port section found\n") +
         Loaded},
    {"MorePortSectionsThanNumberOfPorts",
     Header(1) + Con("A") + Con("B") + Routes(0, {0}) + Routes(0, {0}) + Layout(),
     {"A"},
     std::string("A port loaded\n"
                 "Setup file: more port sections than NumberOfPorts=1: the rest of the file is "
                 "not loaded\n") +
         Loaded},
    {"LinesAfterTheLayout",
     OneConsole() + "Extra=1\nMore=2\n",
     {"CON"},
     std::string("CON port loaded\n"
                 "Setup file: 2 lines after the window layout not read\n") +
         Loaded},
    {"KindNotBuiltIn",
     Header(2) + Port("COM", "SER") +
         "ComPort=COM1\nBaudRate=9600\nBits=8\nParity=0\nStopBits=0\nFlowControl=4\n" +
         DirectRouter(3) + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout(),
     {"B"},
     std::string("Setup file: port section 1: the port kind COM is not built into this "
                 "program; its lines are skipped\n"
                 "B port loaded\n") +
         Loaded,
     "COM"},
};

class MalformedSetupTest : public SpotweaverDocTest,
                           public ::testing::WithParamInterface<MalformedFile> {};

TEST_P(MalformedSetupTest, LoadsWhatIsSafeAndSaysWhatWasRejected) {
    const MalformedFile& row = GetParam();
    if (row.unavailableKind[0] != '\0') {
        factory.unavailable.insert(row.unavailableKind);
    }
    Load(row.text);

    EXPECT_EQ(Names(), row.ports);
    EXPECT_EQ(ui.mainView.Text(), row.mainView);
    // Every rejection is also a message box, so a check run fails.
    ASSERT_FALSE(ui.messages.empty());
    std::size_t start = 0;
    const std::string& text = ui.mainView.Text();
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (line.rfind("Setup file", 0) == 0) {
            EXPECT_NE(std::find(ui.messages.begin(), ui.messages.end(), line), ui.messages.end())
                << line;
        }
    }
    // Nothing half-made: every port has its router and every window that
    // belongs to no port is closed.
    for (int i = 0; i < doc.PortCount(); ++i) {
        EXPECT_NE(doc.Port(i)->Router(), nullptr);
    }
    EXPECT_EQ(static_cast<int>(ui.windows.size()) - ui.closedWindows, doc.PortCount());
}

INSTANTIATE_TEST_SUITE_P(Rows, MalformedSetupTest, ::testing::ValuesIn(kMalformedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpotweaverDocTest, Load_SkippedSectionKeepsTheNumbersOfTheOthers) {
    Load(Header(3) + Con("A") + Port("XYZ", "B") + CommandRouter() + Con("C") +
         Routes(3, {3, 0, 0}) + Routes(0, {0, 0, 0}) + Routes(0, {1, 0, 0}) + Layout());

    ASSERT_EQ(doc.PortCount(), 2);
    EXPECT_EQ(doc.Port(0)->Router()->GetRoute(0), doc.Port(1)->Router());
    EXPECT_EQ(doc.Port(0)->Router()->GetTracePort(), doc.Port(1));
    EXPECT_EQ(doc.Port(1)->Router()->GetRoute(0), doc.Port(0)->Router());
}

TEST_F(SpotweaverDocTest, Load_KeyMismatchIsReportedAndLoadingGoesOn) {
    std::string text = OneConsole();
    text.replace(text.find("PortType=CON"), 12, "PortTyp=CON");
    Load(text);

    EXPECT_EQ(Names(), std::vector<std::string>{"CON"});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "INI file error, missing line for: PortType\nGot instead: PortTyp\n");
}

// ---------------------------------------------------------------- saving

TEST_F(SpotweaverDocTest, SaveFile_WritesTheSetupAndClearsModified) {
    Load(OneConsole());
    doc.SetModified(true);
    const ScratchFolder scratch;
    const std::string path = (scratch.Path() / "setup.ini").string();
    std::string error;

    ASSERT_TRUE(doc.SaveFile(path, error)) << error;

    EXPECT_EQ(FileBytes(path), OneConsole());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, ReadAndSave_RemoveStaleTemporariesOfTheSetupAndSaySo) {
    const ScratchFolder scratch;
    const std::filesystem::path path = scratch.Path() / "out.ini";
    WriteFileBytes(path, OneConsole());
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    std::string error;
    for (const char* name : {"out.ini.Ab12Cd", "out.ini.Xy34Zw"}) {
        WriteFileBytes(scratch.Path() / name, "NumberOfPorts=");
        std::filesystem::last_write_time(scratch.Path() / name, old);
        ui.mainView.ClearText();

        ASSERT_TRUE(std::string(name) == "out.ini.Ab12Cd" ? doc.ReadFile(path, error)
                                                          : doc.SaveFile(path, error))
            << error;

        EXPECT_EQ(ui.mainView.Text(), "Removed " + (scratch.Path() / name).string() +
                                          ", left by a save that was cut short\n");
        EXPECT_FALSE(std::filesystem::exists(scratch.Path() / name));
    }
}

TEST_F(SpotweaverDocTest, ReadFile_KeepsEveryLineForLoading) {
    const ScratchFolder scratch;
    const std::string path = (scratch.Path() / "setup.ini").string();
    WriteFileBytes(path, "; written by hand\r\n" + WithLineEnds(OneConsole(), "\r\n"));
    std::string error;

    ASSERT_TRUE(doc.ReadFile(path, error)) << error;
    doc.LoadPorts();

    EXPECT_EQ(doc.SaveToString(), OneConsole());
    EXPECT_TRUE(ui.messages.empty());
}

// ---------------------------------------------------------------- adding

TEST_F(SpotweaverDocTest, AddPort_ThirtyOnePortsTakeOneMoreThenTooManyPorts) {
    AddNamedPorts(31);
    ASSERT_EQ(doc.PortCount(), 31);

    EXPECT_TRUE(doc.AddPort("TEL"));
    EXPECT_EQ(doc.PortCount(), 32);
    const std::size_t windows = ui.windows.size();
    for (int id : {CommandId::AddCom, CommandId::AddConsole, CommandId::AddTelnet,
                   CommandId::AddBroadcast, CommandId::AddRxTelnet, CommandId::AddLogFile}) {
        ui.messages.clear();
        doc.OnCommand(id);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Too Many Ports"}) << id;
    }
    EXPECT_EQ(doc.PortCount(), 32);
    EXPECT_EQ(ui.windows.size(), windows);
}

TEST_F(SpotweaverDocTest, AddPort_ConfirmedPortJoinsSelectorAndMarksModified) {
    Load(OneConsole());
    ui.mainView.ClearText();

    doc.OnCommand(CommandId::AddLogFile);

    ASSERT_EQ(doc.PortCount(), 2);
    EXPECT_EQ(doc.Port(1)->PortName, "FILE");
    EXPECT_EQ(ui.selectorItems, (std::vector<std::string>{"ALL", "CON", "FILE"}));
    EXPECT_EQ(ui.mainView.Text(), "FILE port loaded, use Connect command to start\n");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(ui.portDialogsShown.size(), 1u);
    EXPECT_EQ(ui.portDialogsShown[0].kind, "FILE");
    EXPECT_EQ(ui.portDialogsShown[0].existingPortNames, std::vector<std::string>{"CON"});
    // Console routes both ways, as the dialog asked.
    EXPECT_EQ(doc.Port(0)->Router()->GetRoute(1), doc.Port(1)->Router());
    EXPECT_EQ(doc.Port(1)->Router()->GetRoute(0), doc.Port(0)->Router());
}

TEST_F(SpotweaverDocTest, AddPort_CancelledSetupLeavesDocumentUnchanged) {
    Load(OneConsole());
    ui.portDialog = [](PortSetupValues&) { return false; };

    EXPECT_FALSE(doc.AddPort("TEL"));

    EXPECT_EQ(doc.PortCount(), 1);
    EXPECT_EQ(ui.closedWindows, 1);
    EXPECT_EQ(ui.windows.back()->PortName(), "Temp");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, AddPort_NoWindowSaysCommandFailed) {
    ui.refuseNewWindow = true;
    EXPECT_FALSE(doc.AddPort("CON"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Command failed."});
    EXPECT_EQ(doc.PortCount(), 0);
}

// ------------------------------------------------------------ Setup menu

TEST_F(SpotweaverDocTest, ConnectAll_SkipsSlavePortsButPortWindowConnectsThem) {
    Load(Header(3) + Con("A") + Port("CON", "S", 2, "B") + DirectRouter(3) + Port("CON", "M", 1) +
         DirectRouter(1) + Routes(0, {0, 0, 0}) + Routes(0, {3, 0, 0}) + Routes(0, {2, 0, 0}) +
         Layout());
    ui.mainView.ClearText();

    doc.OnCommand(CommandId::Connect);

    EXPECT_TRUE(doc.Port(0)->IsConnected());
    EXPECT_FALSE(doc.Port(1)->IsConnected());
    EXPECT_TRUE(doc.Port(2)->IsConnected());
    EXPECT_EQ(ui.mainView.Text(), "A port connect commanded\nM port connect commanded\n");

    ui.mainView.ClearText();
    doc.OnCommand(CommandId::Connect);
    EXPECT_EQ(ui.mainView.Text(), "");

    doc.OnPortCommand("S", PortCommand::Connect);
    EXPECT_TRUE(doc.Port(1)->IsConnected());
    EXPECT_EQ(ui.mainView.Text(), "S port connect commanded\n");
}

TEST_F(SpotweaverDocTest, Disconnect_OneSelectedPortOnly) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    doc.OnCommand(CommandId::Connect);
    ui.mainView.ClearText();
    ui.selectorText = "B";

    doc.OnCommand(CommandId::Disconnect);

    EXPECT_TRUE(doc.Port(0)->IsConnected());
    EXPECT_FALSE(doc.Port(1)->IsConnected());
    EXPECT_TRUE(doc.Port(1)->Script().ManualDisconnect());
    EXPECT_EQ(ui.mainView.Text(), "B port disconnect commanded(manual)\n");
}

TEST_F(SpotweaverDocTest, PortCommands_PrintTheirMessages) {
    Load(OneConsole());
    ui.mainView.ClearText();

    doc.OnPortCommand("CON", PortCommand::Connect);
    doc.OnPortCommand("CON", PortCommand::DisconnectKeepScript);
    EXPECT_FALSE(doc.Port(0)->Script().ManualDisconnect());
    doc.OnPortCommand("CON", PortCommand::Connect);
    doc.OnPortCommand("CON", PortCommand::Disconnect);
    doc.OnPortCommand("CON", PortCommand::StopScript);
    doc.OnPortCommand("NOPE", PortCommand::Connect);

    EXPECT_EQ(ui.mainView.Text(), "CON port connect commanded\n"
                                  "CON port disconnect commanded(don't stop script)\n"
                                  "CON port connect commanded\n"
                                  "CON port disconnect commanded(manual)\n"
                                  "CON Script stopped\n");
    EXPECT_TRUE(doc.Port(0)->Script().ManualDisconnect());
}

TEST_F(SpotweaverDocTest, EditCommands_WithAllSelectedAskForASpecificPort) {
    Load(OneConsole());
    doc.OnCommand(CommandId::EditScript);
    doc.OnCommand(CommandId::EditPort);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"You must select a specific port first.",
                                                     "You must select a specific port first."}));
    EXPECT_TRUE(ui.portDialogsShown.empty());
}

TEST_F(SpotweaverDocTest, EditPort_RenameMovesTheNameToTheEndOfTheSelector) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    ui.selectorText = "A";
    ui.portDialog = [](PortSetupValues& v) {
        v.name = "Z";
        return true;
    };

    doc.OnCommand(CommandId::EditPort);

    EXPECT_EQ(doc.Port(0)->PortName, "Z");
    EXPECT_EQ(ui.selectorItems, (std::vector<std::string>{"ALL", "B", "Z"}));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, EditScript_MarksModifiedOnlyWhenConfirmed) {
    Load(OneConsole());
    ui.selectorText = "CON";
    doc.OnCommand(CommandId::EditScript);
    EXPECT_FALSE(doc.IsModified());

    ui.scriptDialog = [](ConnectScriptValues& v) {
        v.prompts[0] = "login:";
        v.responses[0] = "G4ABC";
        return true;
    };
    doc.OnPortCommand("CON", PortCommand::EditScript);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.Port(0)->Script().Values().prompts[0], "login:");
}

TEST_F(SpotweaverDocTest, Routes_RunsTheDialogOverTheDocumentAndMarksModified) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    ui.routeDialog = [](CRouteSetupModel& model) { model.AddRoute("A", "B", false); };

    doc.OnCommand(CommandId::Routes);

    EXPECT_EQ(ui.routeDialogsShown, 1);
    EXPECT_EQ(doc.Port(0)->Router()->GetRoute(1), doc.Port(1)->Router());
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, Font_OkTakesTheChoiceAndAppliesIt) {
    Load(OneConsole());
    ui.fontDialog = [](int& size, int& weight, std::string& face) {
        EXPECT_EQ(size, 20);
        size = -16;
        weight = 700;
        face = "DejaVu Sans Mono";
        return true;
    };

    doc.OnCommand(CommandId::Font);

    EXPECT_EQ(doc.FontSize, -16);
    EXPECT_EQ(doc.FontWeight, 700);
    EXPECT_EQ(doc.FontFace, "DejaVu Sans Mono");
    EXPECT_EQ(ui.appliedFont.size, -16);
    EXPECT_EQ(ui.appliedFont.face, "DejaVu Sans Mono");
    EXPECT_TRUE(doc.IsModified());
}

// ---------------------------------------------------------------- removing

TEST_F(SpotweaverDocTest, Remove_MiddleOfThreeRenumbersTheRouteSections) {
    Load(Header(3) + Con("P1") + Con("P2") + Con("P3") + Routes(3, {2, 3, 0}) +
         Routes(0, {1, 0, 0}) + Routes(0, {1, 2, 0}) + Layout());
    ui.mainView.ClearText();

    EXPECT_TRUE(doc.RemovePort("P2"));

    EXPECT_EQ(ui.questions, std::vector<std::string>{
                                "This will remove this port from the setup, continue?\nPort: P2"});
    EXPECT_EQ(ui.mainView.Text(), "P2 port removed\n");
    EXPECT_EQ(ui.selectorItems, (std::vector<std::string>{"ALL", "P1", "P3"}));
    EXPECT_EQ(ui.closedWindows, 1);
    EXPECT_EQ(doc.SaveToString(),
              Header(2) + Con("P1") + Con("P3") + Routes(2, {2, 0}) + Routes(0, {1, 0}) + Layout());
}

TEST_F(SpotweaverDocTest, Remove_TraceIntoTheRemovedPortIsCleared) {
    Load(Header(2) + Con("A") + Con("LOG") + Routes(2, {0, 0}) + Routes(0, {0, 0}) + Layout());

    doc.RemovePort("LOG");

    EXPECT_EQ(doc.Port(0)->Router()->GetTracePort(), nullptr);
}

TEST_F(SpotweaverDocTest, Remove_AllAnsweredNoRemovesNothingAndYesAsksForEachPort) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    ui.answers = {false};
    doc.OnCommand(CommandId::Remove);
    EXPECT_EQ(doc.PortCount(), 2);

    ui.questions.clear();
    ui.answers = {true, false, true};
    doc.OnCommand(CommandId::Remove);

    EXPECT_EQ(ui.questions, (std::vector<std::string>{
                                "Do you really want to remove ALL ports?",
                                "This will remove this port from the setup, continue?\nPort: A",
                                "This will remove this port from the setup, continue?\nPort: B"}));
    EXPECT_EQ(Names(), std::vector<std::string>{"A"});
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SpotweaverDocTest, Remove_MainWindowAsksToCloseEverything) {
    Load(OneConsole());
    ui.answers = {false};
    EXPECT_FALSE(doc.RemovePort("Main"));
    EXPECT_EQ(ui.questions, std::vector<std::string>{"This will close all windows, continue?"});
    EXPECT_EQ(doc.PortCount(), 1);
}

TEST_F(SpotweaverDocTest, Remove_PortThatCannotStopIsDetachedAndRemovedOnceStopped) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {2, 0}) + Routes(0, {1, 0}) + Layout());
    doc.OnCommand(CommandId::Connect);
    FakeKindPort& b = PortAt(1);
    b.stoppable = false;
    ui.mainView.ClearText();

    EXPECT_TRUE(doc.RemovePort("B"));

    EXPECT_EQ(ui.mainView.Text(), "B: Can't stop port to remove it!\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"A"});
    EXPECT_EQ(doc.Port(0)->Router()->GetRoute(0), nullptr);
    EXPECT_EQ(ui.closedWindows, 0);

    b.FinishStopping();
    loop.Advance(1000);
    EXPECT_EQ(ui.mainView.Text(), "B: Can't stop port to remove it!\nB port removed\n");
    EXPECT_EQ(ui.closedWindows, 1);
}

TEST_F(SpotweaverDocTest, DeleteAllPorts_DisconnectsDestroysAndStopsTheTimer) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    doc.OnCommand(CommandId::Connect);

    doc.DeleteAllPorts();

    EXPECT_EQ(doc.PortCount(), 0);
    EXPECT_FALSE(doc.IsRunning());
    EXPECT_EQ(ui.closedWindows, 2);
    EXPECT_EQ(loop.ActiveTimers(), 0u);
}

// ------------------------------------------------------------ heartbeat

TEST_F(SpotweaverDocTest, OnTick_StatusBarOnTheSixthTickThenEveryFifth) {
    Load(Header(2) + Con("A") + Con("B") + Routes(0, {0, 0}) + Routes(0, {0, 0}) + Layout());
    doc.OnPortCommand("A", PortCommand::Connect);

    loop.Advance(5000);
    EXPECT_EQ(ui.statusBar, "");
    loop.Advance(1000);
    EXPECT_EQ(ui.statusBar, " A=C  B=D ");

    ui.statusBar.clear();
    loop.Advance(4000);
    EXPECT_EQ(ui.statusBar, "");
    loop.Advance(1000);
    EXPECT_EQ(ui.statusBar, " A=C  B=D ");
}

TEST_F(SpotweaverDocTest, OnTick_RequestsProcessingForPortsWithPendingLines) {
    LoadTwoSourcesAndSink();
    // Lines that arrived without a request (as if one were lost).
    doc.Port(0)->RingBuffer().Put("late\n", 5);
    EXPECT_EQ(PortAt(2).written, "");

    loop.Advance(1000);

    EXPECT_EQ(PortAt(2).written, "late\r\n");
}

TEST_F(SpotweaverDocTest, Queue_PortsTakeTurnsABatchOfLinesPerRequest) {
    LoadTwoSourcesAndSink();
    std::string a;
    std::string expected;
    for (int i = 0; i < CSpotweaverDoc::LinesPerTurn; ++i) {
        a += "a\n";
        expected += "a\r\n";
    }
    a += "z\n";

    doc.Port(0)->OnReceive(a.data(), static_cast<int>(a.size()));
    doc.Port(1)->OnReceive("b1\nb2\n", 6);
    EXPECT_EQ(loop.PostedCount(), 1u);
    loop.RunPosted();

    EXPECT_EQ(PortAt(2).written, expected + "b1\r\nb2\r\nz\r\n");
}

TEST_F(SpotweaverDocTest, Queue_AFullOutputHoldsInputBackUntilItsQueueIsTaken) {
    LoadTwoSourcesAndSink();
    PortAt(2).queued = COutputPressure::HighWater;
    doc.Port(0)->OnReceive("a1\n", 3);
    loop.RunPosted();
    loop.Advance(CSpotweaverDoc::HeldPollMs);
    EXPECT_EQ(PortAt(2).written, "");

    PortAt(2).queued = 0;
    loop.Advance(CSpotweaverDoc::HeldPollMs);
    loop.RunPosted();
    EXPECT_EQ(PortAt(2).written, "a1\r\n");
}

TEST_F(SpotweaverDocTest, Queue_SliceEndsAfterLinesPerSliceAndGoesOn) {
    LoadTwoSourcesAndSink();
    const int count = CSpotweaverDoc::LinesPerSlice + 44;
    std::string lines;
    for (int i = 0; i < count; ++i) {
        lines += "x\n";
    }
    doc.Port(0)->OnReceive(lines.data(), static_cast<int>(lines.size()));

    loop.RunPosted(1);
    EXPECT_EQ(PortAt(2).written.size(), 3u * CSpotweaverDoc::LinesPerSlice);
    EXPECT_EQ(loop.PostedCount(), 1u);

    loop.RunPosted();
    EXPECT_EQ(PortAt(2).written.size(), 3u * count);
}

TEST_F(SpotweaverDocTest, Queue_RequestsOfARemovedPortAreDropped) {
    LoadTwoSourcesAndSink();
    doc.Port(0)->OnReceive("a1\n", 3);
    doc.Port(1)->OnReceive("b1\n", 3);

    doc.RemovePort("A");
    loop.RunPosted();

    EXPECT_EQ(PortAt(1).written, "b1\r\n");
}

TEST_F(SpotweaverDocTest, OnPortData_RoutesOneLineAndRequestsTheNext) {
    LoadTwoSourcesAndSink();
    doc.Port(0)->RingBuffer().Put("a1\na2\n", 6);

    doc.OnPortData(*doc.Port(0));
    EXPECT_EQ(PortAt(2).written, "a1\r\n");
    EXPECT_EQ(loop.PostedCount(), 1u);
    loop.RunPosted();
    EXPECT_EQ(PortAt(2).written, "a1\r\na2\r\n");
}

TEST_F(SpotweaverDocTest, ReconnectWait_PostedConnectCommandConnectsThePort) {
    Load(Header(1) + Port("TEL", "T", 0, "A", Script({}, 1, 2)) + "HostName=h\nPortNumber=23\n" +
         CommandRouter() + Routes(0, {0}) + Layout());
    doc.OnPortCommand("T", PortCommand::Connect);
    PortAt(0).GoDown();
    ui.mainView.ClearText();

    loop.Advance(2000);

    EXPECT_TRUE(doc.Port(0)->IsConnected());
    EXPECT_EQ(ui.mainView.Text(), "T port connect commanded\n");
}

TEST_F(SpotweaverDocTest, PortList_IncludesThePortBeingAdded) {
    Load(OneConsole());
    std::vector<std::string> seen;
    ui.portDialog = [&](PortSetupValues& v) {
        for (CPortHandler* p : doc.PortList()) {
            seen.push_back(p->PortName);
        }
        EXPECT_TRUE(doc.IsPortNameUsed("CON"));
        EXPECT_FALSE(doc.IsPortNameUsed("TEL"));
        v.name = "TEL";
        return true;
    };

    doc.AddPort("TEL");

    EXPECT_EQ(seen, (std::vector<std::string>{"CON", ""}));
}

// ------------------------------------------------------------ spot filters

TEST_F(SpotweaverDocTest, SpotFilter_SavesAsLoadedAndReportsCountsOnceAMinuteWhenChanged) {
    const std::string setup = Header(2) + Port("TEL", "A") + "HostName=h\nPortNumber=1\n" +
                              UserRouter(1, "G4ABC") + Port("FILE", "DEST") + "FileName=x\n" +
                              UserRouter(1, "G4ABC") +
                              "Filter=reject band=60m,30m mode=DIGI\nFilter=accept dx=VK9*,3Y0*\n" +
                              Routes(0, {2, 0}) + Routes(0, {0, 0}) + Layout();
    Load(setup);
    EXPECT_EQ(doc.SaveToString(), setup);
    doc.SetCountReports(true);
    doc.OnPortCommand("A", PortCommand::Connect);
    doc.OnPortCommand("DEST", PortCommand::Connect);
    const std::string spot =
        "DX de K1ABC:     10136.0  VK9XX        FT8 -10                        1234Z\r";
    doc.Port(0)->OnReceive(spot.data(), static_cast<int>(spot.size()));
    loop.RunPosted();
    EXPECT_EQ(PortAt(1).written, "");

    loop.Advance(120000);

    EXPECT_EQ(ui.windows[1]->Text(), "DEST: spots passed 0, filtered 1, dupes dropped 0\n");
}

} // namespace

namespace {

TEST_F(SpotweaverDocTest, SkimmerMerge_SavesAsLoadedAndReportsMergeCountsOnceAMinute) {
    const std::string setup = Header(2) + Port("TEL", "A") + "HostName=h\nPortNumber=1\n" +
                              UserRouter(1, "G4ABC") + Port("FILE", "DEST") + "FileName=x\n" +
                              UserRouter(1, "G4ABC") + "Filter=reject mode=DIGI\n" +
                              "SkimmerMerge=10,0.5,2,3,hold\n" + Routes(0, {2, 0}) +
                              Routes(0, {0, 0}) + Layout();
    Load(setup);
    EXPECT_EQ(doc.SaveToString(), setup);
    doc.SetCountReports(true);
    doc.OnPortCommand("A", PortCommand::Connect);
    doc.OnPortCommand("DEST", PortCommand::Connect);
    const std::string spot =
        "DX de KM3T-#:     14025.2  K1ABC        CW    24 dB  22 WPM  CQ      2259Z\r";
    doc.Port(0)->OnReceive(spot.data(), static_cast<int>(spot.size()));
    loop.RunPosted();

    loop.Advance(120000);

    // One skimmer is short of the minimum: the report waits, nothing is sent.
    EXPECT_EQ(PortAt(1).written, "");
    EXPECT_EQ(ui.windows[1]->Text(),
              "DEST: spots passed 0, filtered 0, dupes dropped 0\n"
              "DEST: skimmer reports 1, merged 0, held back 0, busted 0, re-spots 0, "
              "reduction -\n");
}

} // namespace
