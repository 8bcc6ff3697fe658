// Setup files damaged in every way a disk, an editor or a stranger can
// damage them, given to the real program: the checker, the headless program
// and the desktop window must load what they safely can or refuse with a
// message, and never crash or hang.

#include "ChildProgram.h"
#include "LoopbackSocket.h"
#include "SetupDamage.h"
#include "SetupText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <sys/socket.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace SetupText;
using namespace SetupDamage;

namespace {

constexpr auto RunBound = 20s;

// One port of each of the six kinds with scripts, routes among them and the
// window layout. The network ports use port numbers nobody answers on.
std::string AllKinds() {
    const std::string tcp = std::to_string(FreePort(SOCK_STREAM));
    const std::string udp = std::to_string(FreePort(SOCK_DGRAM));
    return Header(6) + Port("CON", "CON") + CommandRouter() +
           Port("COM", "TNC", 1, "A", Script({{"cmd:", "MYCALL G4ABC\\M"}})) +
           "ComPort=/dev/null\nBaudRate=9600\nBits=8\nParity=0\nStopBits=0\nFlowControl=4\n" +
           UserRouter(1, "G4ABC") +
           Port("TEL", "NODE", 0, "B", Script({{"login:", "G4ABC"}, {"password:", "x"}}, 1, 60)) +
           "HostName=127.0.0.1\n" + Line("PortNumber", tcp) + NodeRouter("G4ABC") +
           Port("RXTEL", "CALLIN") + "HostName=127.0.0.1\n" + Line("PortNumber", tcp) +
           UserRouter(9, "G4ABC") + Port("CTE", "CTNET") +
           "MyIP=127.0.0.1\nBroadcastIP=127.255.255.255\n" + Line("PortNumber", udp) +
           CtRouter(4, 0) + Port("FILE", "LOG") + "FileName=spots.log\n" + CtRouter(5, 2) +
           Routes(0, {2, 3, 4, 5, 6, 0}) + Routes(1, {1, 0, 0, 0, 0, 0}) +
           Routes(0, {1, 6, 0, 0, 0, 0}) + Routes(0, {3, 6, 0, 0, 0, 0}) +
           Routes(0, {6, 0, 0, 0, 0, 0}) + Routes(0, {0, 0, 0, 0, 0, 0}) +
           Placement(1, 0, 0, 500, 300) + Placement(1, 20, 30, 1020, 730) +
           Placement(1, 0, 0, 300, 30) + Placement(1, 0, 880, 1200, 900) +
           Placement(1, 0, 30, 400, 60) +
           "MainFrameToolbar.showwindow=268435456\nm_wndStatusBar.showwindow=268435456\n"
           "m_wndToolBar.showwindow=268435456\n";
}

struct CheckRun {
    bool ended = false;
    std::string how;
    std::string errors;
};

class BrokenSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileBytes(dir.Path() / "made.ini", AllKinds());
        CheckRun saved = Check("made.ini", {"--save-as", "real.ini"});
        ASSERT_EQ(saved.how, "exit 0") << saved.errors;
        real = FileBytes(dir.Path() / "real.ini");
        ASSERT_NE(real.find("m_wndToolBar.showwindow"), std::string::npos);
    }

    CheckRun Check(const std::string& file, std::vector<std::string> more = {}) {
        std::vector<std::string> args{"--check", file};
        args.insert(args.end(), more.begin(), more.end());
        ChildProgram program(dir.Path(), args);
        CheckRun run;
        run.ended = program.WaitForEnd(RunBound);
        run.how = program.How();
        run.errors = program.Errors();
        return run;
    }

    // --check ends by itself with 0 (loaded), 3 (loaded with parts dropped
    // or clamped) or 1 (something refused, and said so on standard error);
    // the number of refusals is what the window would have shown as message
    // boxes.
    int ExpectCheckedSafely(const std::string& name, const std::string& text) {
        WriteFileBytes(dir.Path() / "broken.ini", text);
        const CheckRun run = Check("broken.ini");
        EXPECT_TRUE(run.ended) << name << " hangs";
        EXPECT_TRUE(run.how == "exit 0" || run.how == "exit 1" || run.how == "exit 3")
            << name << ": " << run.how << "\n"
            << run.errors.substr(0, 2000);
        int boxes = 0;
        for (std::size_t at = 0; (at = run.errors.find("spotweaver: ", at)) != std::string::npos;
             ++at) {
            ++boxes;
        }
        if (run.how == "exit 1") {
            EXPECT_GT(boxes, 0) << name << " refused without a word";
        }
        mostBoxes = std::max(mostBoxes, boxes);
        return run.how == "exit 0" ? 0 : run.how == "exit 3" ? 3 : 1;
    }

    // The headless program takes the file, connects what it can, and ends
    // with status 0 on SIGTERM.
    void ExpectRunsHeadlessAndStops(const std::string& name, const std::string& text) {
        WriteFileBytes(dir.Path() / "broken.ini", text);
        ChildProgram program(dir.Path(), {"--headless", "broken.ini", "/START"});
        EXPECT_TRUE(WaitUntil(
            [&] {
                return program.Errors().find("Ports loaded, use Connect command to start") !=
                       std::string::npos;
            },
            RunBound))
            << name << ": " << program.How() << "\n"
            << program.Errors().substr(0, 2000);
        // Long enough for the connects to be tried.
        std::this_thread::sleep_for(100ms);
        program.Signal(SIGTERM);
        EXPECT_TRUE(program.WaitForEnd(RunBound)) << name;
        EXPECT_EQ(program.How(), "exit 0") << name << "\n" << program.Errors().substr(0, 2000);
    }

    // The desktop window (offscreen) opens the file, draws itself and ends
    // with status 0. A file that makes the loader raise a message box would
    // wait for an answer here, so only files that load without one are given.
    void ExpectWindowShowsAndEnds(const std::string& name, const std::string& text) {
        WriteFileBytes(dir.Path() / "broken.ini", text);
        ChildProgram program(dir.Path(), {"broken.ini"},
                             {{"QT_QPA_PLATFORM", "offscreen"},
                              {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
                              {"SPOTWEAVER_SCREENSHOT", (dir.Path() / "window.png").string()},
                              {"SPOTWEAVER_SCREENSHOT_MS", "500"}});
        EXPECT_TRUE(program.WaitForEnd(RunBound)) << name;
        EXPECT_EQ(program.How(), "exit 0") << name << "\n" << program.Errors().substr(0, 2000);
        EXPECT_NE(program.Errors().find("spotweaver: screenshot written to"), std::string::npos)
            << name;
    }

    ScratchFolder dir;
    std::string real;
    int mostBoxes = 0;
};

TEST_F(BrokenSetupTest, CutAtEveryLineLoadsThePortsBeforeTheCutOrRefuses) {
    const std::vector<std::string> lines = SplitLines(real);
    // The layout starts after the last route line.
    std::size_t layout = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("Trace=", 0) == 0) {
            layout = i + 1 + 6;
        }
    }
    ASSERT_EQ(lines[layout].rfind("showCmd=", 0), 0u);
    for (std::size_t cut = 0; cut <= lines.size(); ++cut) {
        const std::string name = "cut after line " + std::to_string(cut);
        const int status = ExpectCheckedSafely(name, JoinLines(lines, cut));
        if (cut < layout) {
            EXPECT_EQ(status, 1) << name << " is accepted";
        } else if (cut == layout || cut == lines.size()) {
            EXPECT_EQ(status, 0) << name << " is refused";
        }
        // The same line cut in its middle, without its line end.
        if (cut < lines.size()) {
            ExpectCheckedSafely(name + " and half the next",
                                JoinLines(lines, cut) +
                                    lines[cut].substr(0, lines[cut].size() / 2));
        }
    }
    std::printf("[ measured ] %zu lines cut; at most %d message boxes for one file\n", lines.size(),
                mostBoxes);
    ExpectRunsHeadlessAndStops("cut in the middle", JoinLines(lines, lines.size() / 2));
    ExpectRunsHeadlessAndStops("cut after the routes", JoinLines(lines, layout));
    ExpectWindowShowsAndEnds("cut after the routes", JoinLines(lines, layout));
    ExpectWindowShowsAndEnds("whole", real);
}

TEST_F(BrokenSetupTest, RandomBytesAreRefusedWithoutHarm) {
    std::mt19937 random(20240601);
    for (int i = 0; i < 40; ++i) {
        std::string bytes(random() % 100000, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xff);
        }
        // Every fourth file begins like a setup, so that the loader gets
        // further than the first line.
        if (i % 4 == 0) {
            bytes = "NumberOfPorts=3\n" + bytes;
        }
        const std::string name = "random file " + std::to_string(i);
        ExpectCheckedSafely(name, bytes);
        if (i < 3) {
            ExpectRunsHeadlessAndStops(name, bytes);
        }
    }
    std::printf("[ measured ] at most %d message boxes for one file\n", mostBoxes);
}

// Values of the real setup replaced by damaged ones, a few at a time.
TEST_F(BrokenSetupTest, DamagedValuesAnywhereAreLoadedOrRefused) {
    const std::vector<std::string> lines = SplitLines(real);
    const std::vector<std::string> damage{
        "-1", "-2147483648", "2147483647", "99999999999", "", "\x01\xff\x80", "=", "0x10", " 7 "};
    std::mt19937 random(77);
    for (int i = 0; i < 150; ++i) {
        std::vector<std::string> changed = lines;
        for (int k = 0; k < 3; ++k) {
            std::string& line = changed[random() % changed.size()];
            const auto eq = line.find('=');
            switch (random() % 4) {
            case 0:
                line = line.substr(0, eq + 1) + damage[random() % damage.size()];
                break;
            case 1:
                line.clear();
                break;
            case 2:
                line = line + "\n" + line;
                break;
            default:
                line = line.substr(0, eq) + "X" + line.substr(eq);
                break;
            }
        }
        ExpectCheckedSafely("damage " + std::to_string(i), JoinLines(changed, changed.size()));
    }
    std::printf("[ measured ] at most %d message boxes for one file\n", mostBoxes);
}

struct HugeLine {
    const char* name;
    std::string (*make)(const std::string& real, const std::string& line);
};

class TenMegabyteLineTest : public BrokenSetupTest,
                            public ::testing::WithParamInterface<HugeLine> {};

// Was a hang: the reader copied the rest of the line once for every
// 255-character piece it took from it.
TEST_P(TenMegabyteLineTest, CheckEndsWithinSeconds) {
    const std::string line(10 * 1024 * 1024, 'X');
    const auto started = std::chrono::steady_clock::now();
    ExpectCheckedSafely(GetParam().name, GetParam().make(real, line));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, 10s);
}

INSTANTIATE_TEST_SUITE_P(
    Places, TenMegabyteLineTest,
    ::testing::Values(HugeLine{"FirstLine", [](const std::string& r,
                                               const std::string& l) { return l + "\n" + r; }},
                      HugeLine{"PortNameValue",
                               [](const std::string& r, const std::string& l) {
                                   return WithValue(r, "PortName", l, true);
                               }},
                      HugeLine{"Comment",
                               [](const std::string& r, const std::string& l) {
                                   return r.substr(0, r.find("PortType")) + ";" + l + "\n" +
                                          r.substr(r.find("PortType"));
                               }},
                      HugeLine{"Blanks",
                               [](const std::string& r, const std::string&) {
                                   return std::string(10 * 1024 * 1024, ' ') + "\n" + r;
                               }},
                      HugeLine{"BeforeTheRoutes",
                               [](const std::string& r, const std::string& l) {
                                   return r.substr(0, r.find("Trace=")) + "Junk=" + l + "\n" +
                                          r.substr(r.find("Trace="));
                               }},
                      HugeLine{"LastLineWithoutLineEnd",
                               [](const std::string& r, const std::string& l) { return r + l; }}),
    [](const ::testing::TestParamInfo<HugeLine>& info) { return std::string(info.param.name); });

TEST_F(BrokenSetupTest, ThirtyThreePortSectionsLoadThirtyTwo) {
    const std::string text = ManyPorts(33, 33);
    EXPECT_EQ(ExpectCheckedSafely("33 ports", text), 1);
    WriteFileBytes(dir.Path() / "broken.ini", text);
    const CheckRun run = Check("broken.ini");
    EXPECT_NE(run.errors.find("P32 port loaded\n"), std::string::npos);
    EXPECT_EQ(run.errors.find("P33 port loaded"), std::string::npos);
    EXPECT_NE(run.errors.find("spotweaver: Setup file: port section 33 is past the limit of 32 "
                              "ports: its lines are skipped\n"),
              std::string::npos)
        << run.errors;

    const std::string stated32 = ManyPorts(32, 33);
    WriteFileBytes(dir.Path() / "broken.ini", stated32);
    const CheckRun more = Check("broken.ini");
    EXPECT_EQ(more.how, "exit 1");
    EXPECT_NE(more.errors.find("spotweaver: Setup file: more port sections than "
                               "NumberOfPorts=32: the rest of the file is not loaded\n"),
              std::string::npos)
        << more.errors;
    ExpectRunsHeadlessAndStops("33 ports", text);
}

TEST_F(BrokenSetupTest, UnknownPortKindIsSkippedAndTheOthersLoad) {
    // How each kind is quoted: a control byte in caret notation.
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"DISK", "DISK"}, {"", ""}, {"tel", "tel"}, {"TE", "TE"}, {"\x7f\x80", "^?\x80"}};
    for (const auto& [kind, shown] : kinds) {
        std::string text = real;
        text.replace(text.find("PortType=TEL\n"), 13, "PortType=" + kind + "\n");
        WriteFileBytes(dir.Path() / "broken.ini", text);
        const CheckRun run = Check("broken.ini");
        EXPECT_EQ(run.how, "exit 1") << kind;
        EXPECT_NE(run.errors.find("spotweaver: Setup file: port section 3 has the unknown "
                                  "PortType \"" +
                                  shown + "\": its lines are skipped\n"),
                  std::string::npos)
            << run.errors;
        EXPECT_NE(run.errors.find("CALLIN port loaded\nCTNET port loaded\nLOG port loaded\n"),
                  std::string::npos)
            << run.errors;
        if (kind == "DISK") {
            ExpectRunsHeadlessAndStops("kind DISK", text);
        }
    }
}

TEST_F(BrokenSetupTest, RouteNumbersOutsideThePortsAreDropped) {
    struct Row {
        const char* line;
        const char* damaged;
        const char* message;
    };
    for (const Row& row : {
             Row{"Trace=1\n", "Trace=-1\n", "route section 2: dropped Trace=-1"},
             Row{"Trace=1\n", "Trace=7\n", "route section 2: dropped Trace=7"},
             Row{"Port=2\n", "Port=-1\n", "route section 1: dropped Port=-1"},
             Row{"Port=2\n", "Port=7\n", "route section 1: dropped Port=7"},
             Row{"Port=2\n", "Port=2147483647\n", "route section 1: dropped Port=2147483647"},
         }) {
        std::string text = real;
        text.replace(text.find(row.line, text.find("Trace=")), std::string(row.line).size(),
                     row.damaged);
        WriteFileBytes(dir.Path() / "broken.ini", text);
        const CheckRun run = Check("broken.ini");
        EXPECT_EQ(run.how, "exit 1") << row.damaged;
        EXPECT_NE(run.errors.find(std::string("spotweaver: Setup file: ") + row.message +
                                  ", which names no loaded port (ports are numbered 1 to 6)\n"),
                  std::string::npos)
            << run.errors;
    }
}

struct NumberRow {
    const char* key;
    const char* value;
};

class DamagedNumberTest : public BrokenSetupTest,
                          public ::testing::WithParamInterface<NumberRow> {};

TEST_P(DamagedNumberTest, EveryUseOfTheKeyIsLoadedOrRefusedAndTheProgramRuns) {
    const std::string text = WithValue(real, GetParam().key, GetParam().value);
    const std::string name = std::string(GetParam().key) + "=" + GetParam().value;
    const int status = ExpectCheckedSafely(name, text);
    ExpectRunsHeadlessAndStops(name, text);
    // The window costs most to start; one damaged value per key is enough.
    if (status != 1 && std::string(GetParam().value) == "-1") {
        ExpectWindowShowsAndEnds(name, text);
    }
}

std::vector<NumberRow> DamagedNumbers() {
    std::vector<NumberRow> rows;
    for (const char* key :
         {"BufferSize", "KeepAlive", "DupeLength", "AutoTime", "PortNumber", "NumberOfPorts",
          "ScriptSteps", "CRLFOption", "InputType", "IsTNCPort", "FontSize", "showCmd"}) {
        for (const char* value : {"-1", "-2147483648", "2147483647", "99999999999"}) {
            rows.push_back({key, value});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Keys, DamagedNumberTest, ::testing::ValuesIn(DamagedNumbers()),
                         [](const ::testing::TestParamInfo<NumberRow>& info) {
                             std::string name =
                                 std::string(info.param.key) + "_" + info.param.value;
                             std::replace(name.begin(), name.end(), '-', 'm');
                             return name;
                         });

// A script block stating 1000 steps, with 1000 pairs: the first ten are kept
// and the port loads under its own name.
TEST_F(BrokenSetupTest, ThousandScriptStepsKeepTenAndTheRestOfThePort) {
    std::string pairs = "ScriptSteps=1000\n";
    for (int i = 0; i < 1000; ++i) {
        pairs += "Prompt=p" + std::to_string(i) + "\nResponse=r" + std::to_string(i) + "\n";
    }
    std::string text = real;
    const auto block = text.find("ScriptSteps=10\n");
    const auto end = text.find("AutoReConnect=", block);
    text.replace(block, end - block, pairs);
    EXPECT_EQ(ExpectCheckedSafely("ScriptSteps 1000", text), 3);
    WriteFileBytes(dir.Path() / "broken.ini", text);
    const CheckRun run = Check("broken.ini", {"--save-as", "again.ini"});
    EXPECT_NE(run.errors.find("CON| CON: ScriptSteps 1000 is more than 10, only the first 10 "
                              "steps are kept\n"),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("CON port loaded\nTNC port loaded\n"), std::string::npos);
    const std::string again = FileBytes(dir.Path() / "again.ini");
    EXPECT_NE(again.find("Prompt=p9\nResponse=r9\nAutoReConnect=0\n"), std::string::npos);
    ExpectRunsHeadlessAndStops("ScriptSteps 1000", text);
    ExpectWindowShowsAndEnds("ScriptSteps 1000", text);
}

} // namespace
