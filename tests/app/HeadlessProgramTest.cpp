// Runs the built program as a user or a service manager would: headless with
// lines on standard input and a signal to stop, and as a setup checker.

#include "ChildProgram.h"
#include "LoopbackSocket.h"
#include "transport/MosquittoBroker.h"
#include "transport/WsjtxSender.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto Deadline = 20s;

std::string Contents(const fs::path& path) {
    return FileBytes(path);
}

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Polls until done() holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + Deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The program run in a folder, as ChildProgram runs it, with the deadline of
// these tests.
class Program : public ChildProgram {
  public:
    using ChildProgram::ChildProgram;
    void Type(const std::string& text) { ASSERT_TRUE(ChildProgram::Type(text)); }
    // The exit status, or -1 when the program did not end in time or ended
    // by a signal.
    int ExitStatus() { return WaitForEnd(Deadline) ? ExitCode() : -1; }
};

// The date a PC11 frame carries: "7-Dec-2026".
std::string PcDate() {
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    return std::to_string(utc.tm_mday) + "-" + months[utc.tm_mon] + "-" +
           std::to_string(utc.tm_year + 1900);
}

std::string PortSection(const std::string& type, const std::string& name,
                        const std::string& kindKeys, const std::string& router) {
    return "PortType=" + type +
           "\nBufferSize=32000\nKeepAlive=0\n"
           "ScriptSteps=0\nAutoReConnect=0\nAutoTime=60\nPortName=" +
           name + "\nIsTNCPort=0\nStreamSW=|\nPortStreamID=A\n" + kindKeys + router;
}

const std::string Options =
    "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n";

// The console (a cluster login) routed to three log files.
std::string ConsoleToThreeLogs() {
    std::string text = "NumberOfPorts=4\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
    text += PortSection(
        "CON", "CON", "",
        "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\nCRLFOption=3\n" + Options);
    text += PortSection("FILE", "CTLOG", "FileName=ct.log\n",
                        "InputType=5\nDupeLength=100\nCRLFOption=3\n" + Options);
    text += PortSection("FILE", "NODELOG", "FileName=node.log\n",
                        "InputType=2\nMyCall=G4ABC\nHopsOut=99\nAntiLoopPrefix= <\n"
                        "DupeLength=100\nCRLFOption=2\n" +
                            Options);
    text += PortSection("FILE", "SPIDERLOG", "FileName=spider.log\n",
                        "InputType=9\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=100\n"
                        "CRLFOption=2\n" +
                            Options);
    text += "Trace=0\nPort=2\nPort=3\nPort=4\nPort=0\n";
    for (int i = 0; i < 3; ++i) {
        text += "Trace=0\nPort=0\nPort=0\nPort=0\nPort=0\n";
    }
    return text;
}

const std::string Spot1 =
    "DX de DL1ABC:    14025.0  VP8LP        CQ up 2                        1201Z";
const std::string Spot2 =
    "DX de K1XYZ:      7005.5  ZL7G         599 in Maine                   1203Z";
const std::string Wwv = "WWV de K7RA <18>:   SFI=148, A=6, K=1";

class HeadlessProgramTest : public ::testing::Test {
  protected:
    ScratchFolder scratch;
    const fs::path& dir = scratch.Path();
};

TEST_F(HeadlessProgramTest, TypedLinesReachEachLogInItsOwnFormAndSigtermEndsCleanly) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    const std::string dateBefore = PcDate();
    Program program(dir, {"--headless", "setup.ini", "/START"});

    program.Type(Spot1 + "\n" + Wwv + "\r\n" + Spot2 + "\n" + Spot1 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return Contents(dir / "spider.log").find("ZL7G") != std::string::npos;
    })) << program.Errors();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);

    EXPECT_EQ(Contents(dir / "ct.log"), Spot1 + "\r\n" + Wwv + "\r\n" + Spot2 + "\r\n");
    const std::string node = Contents(dir / "node.log");
    const std::string dateAfter = PcDate();
    auto frames = [](const std::string& date) {
        return "PC11^14025.0^VP8LP^" + date +
               "^1201Z^CQ up 2 <G4ABC^DL1ABC^G4ABC^H99^~\n"
               "PC11^7005.5^ZL7G^" +
               date + "^1203Z^599 in Maine <G4ABC^K1XYZ^G4ABC^H99^~\n";
    };
    EXPECT_TRUE(node == frames(dateBefore) || node == frames(dateAfter)) << node;
    EXPECT_EQ(Contents(dir / "spider.log"),
              "DX 14025.0 VP8LP CQ up 2 <G4ABC\nDX 7005.5 ZL7G 599 in Maine <G4ABC\n");
    EXPECT_EQ(program.Output(), "CON: Port connected\n" + Spot1 + "\n" + Wwv + "\n" + Spot2 + "\n" +
                                    Spot1 + "\nCON: Port disconnected\n");
    EXPECT_EQ(program.Errors(), "CON port loaded\nCTLOG port loaded\nNODELOG port loaded\n"
                                "SPIDERLOG port loaded\n"
                                "Ports loaded, use Connect command to start\n"
                                "CON port connect commanded\nCTLOG port connect commanded\n"
                                "NODELOG port connect commanded\n"
                                "SPIDERLOG port connect commanded\n");
}

TEST_F(HeadlessProgramTest, TwoOutputsWithDifferentFiltersEachTakeTheirSpots) {
    Put(dir / "cty.dat", "Fed. Rep. of Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n"
                         "    DA,DB,DC,DD,DE,DF,DG,DH,DI,DJ,DK,DL,DM,DN,DO,DP,DQ,DR;\n"
                         "United States: 05: 08: NA: 37.53: 91.67: 5.0: K:\n    AA,K,N,W;\n");
    std::string setup = "NumberOfPorts=3\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
    setup += PortSection(
        "CON", "CON", "",
        "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\nCRLFOption=3\n" + Options);
    setup += PortSection("FILE", "CWLOG", "FileName=cw.log\n",
                         "InputType=5\nDupeLength=100\nCRLFOption=2\n" + Options +
                             "CountryFile=cty.dat\n"
                             "Filter=accept band=160m,80m,40m mode=CW spotter-cont=EU\n");
    setup += PortSection("FILE", "NODELOG", "FileName=node.log\n",
                         "InputType=9\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=100\n"
                         "CRLFOption=2\n" +
                             Options + "Filter=reject mode=DIGI\nFilter=reject dx=G4ABC,G4ABC/*\n");
    setup += "Trace=0\nPort=2\nPort=3\nTrace=0\nPort=0\nPort=0\nTrace=0\nPort=0\nPort=0\n";
    Put(dir / "setup.ini", setup);
    Program program(dir, {"--headless", "setup.ini", "/START"});

    const std::string cwEu =
        "DX de DL1ABC-#:   7025.0  VP8LP        CW 24 dB 28 WPM CQ             1201Z";
    const std::string cwNa =
        "DX de K1XYZ-#:    7005.5  ZL7G         CW 11 dB 25 WPM CQ             1202Z";
    const std::string ft8 =
        "DX de DL1ABC:    14074.0  JA1XYZ       FT8 -12 dB                     1203Z";
    const std::string ownCall =
        "DX de DL1ABC-#:   3525.0  G4ABC        CW 30 dB 22 WPM CQ             1204Z";
    program.Type(cwEu + "\n" + cwNa + "\n" + ft8 + "\n" + ownCall + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return Contents(dir / "cw.log").find("G4ABC") != std::string::npos;
    })) << program.Errors();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);

    EXPECT_EQ(Contents(dir / "cw.log"), cwEu + "\n" + ownCall + "\n");
    EXPECT_EQ(Contents(dir / "node.log"), "DX 7025.0 VP8LP CW 24 dB 28 WPM CQ <G4ABC\n"
                                          "DX 7005.5 ZL7G CW 11 dB 25 WPM CQ <G4ABC\n");
}

// Two receivers, on 20 m and 40 m, each sending its Status and then a CQ,
// to a WSJTX port routed to a logger's log file.
TEST_F(HeadlessProgramTest, WsjtxDecodesOfTwoReceiversReachTheLogAsSpotLines) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    quint16 port = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        port = probe.localPort();
    }
    std::string setup = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
    setup += PortSection("WSJTX", "WSJTX",
                         "HostName=127.0.0.1\nPortNumber=" + std::to_string(port) + "\n",
                         "InputType=12\nMyCall=G4OWN\nDupeLength=0\nCRLFOption=3\n" + Options);
    setup += PortSection("FILE", "CTLOG", "FileName=ct.log\n",
                         "InputType=5\nDupeLength=100\nCRLFOption=3\n" + Options);
    setup += "Trace=0\nPort=2\nPort=0\nTrace=0\nPort=0\nPort=0\n";
    Put(dir / "setup.ini", setup);
    Program program(dir, {"--headless", "--follow", "setup.ini", "/START"});
    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("WSJTX| WSJTX: Port connected") != std::string::npos;
    })) << program.Errors();

    WsjtxSender radio1("WSJT-X radio 1");
    WsjtxSender radio2("JTDX", 3);
    const QHostAddress to(QHostAddress::LocalHost);
    ASSERT_TRUE(radio1.Send(radio1.Status(14074000, "FT8", "G4ABC", "IO91"), to, port));
    ASSERT_TRUE(radio2.Send(radio2.Status(7074000, "FT8", "G0XYZ", "JO01"), to, port));
    // 13:08:45 and 13:09:00 UTC, as milliseconds since midnight.
    ASSERT_TRUE(radio1.Send(radio1.Decode(47325000, -12, 1234, "CQ DX K1ABC FN42"), to, port));
    ASSERT_TRUE(radio2.Send(radio2.Decode(47340000, -5, 600, "CQ W1AW FN31"), to, port));
    ASSERT_TRUE(WaitUntil([&] {
        return Contents(dir / "ct.log").find("W1AW") != std::string::npos;
    })) << program.Errors();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);

    EXPECT_EQ(Contents(dir / "ct.log"),
              "DX de G4ABC-#:   14075.2  K1ABC        FT8 -12 dB FN42 CQ DX          1308Z\r\n"
              "DX de G0XYZ-#:    7074.6  W1AW         FT8 -5 dB FN31 CQ              1309Z\r\n");
}

// A spot typed on the console reaches the web port's spot list and its
// stream; SIGTERM ends the program at once with a stream, a keep-alive
// client and a half-sent request open.
TEST_F(HeadlessProgramTest, WebPortServesTypedSpotAndEndsOnSigtermWithClients) {
    const int port = FreePort(SOCK_STREAM);
    std::string setup = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
    setup += PortSection(
        "CON", "CON", "",
        "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\nCRLFOption=3\n" + Options);
    setup +=
        PortSection("WEB", "WEB", "HostName=127.0.0.1\nPortNumber=" + std::to_string(port) + "\n",
                    "InputType=10\nDupeLength=100\nCRLFOption=2\n" + Options);
    setup += "Trace=0\nPort=2\nPort=0\nTrace=0\nPort=0\nPort=0\n";
    Put(dir / "setup.ini", setup);
    Program program(dir, {"--headless", "--follow", "setup.ini", "/START"});
    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("WEB: Listening on 127.0.0.1:") != std::string::npos;
    })) << program.Errors();

    Fd stream = Call(port, 5s);
    ASSERT_TRUE(SendAll(stream.Get(), "GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n"
                                      "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                                      "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n"));
    EXPECT_EQ(ReceiveBytes(stream.Get(), 12, 5s), "HTTP/1.1 101");
    Fd halfSent = Call(port, 5s);
    ASSERT_TRUE(SendAll(halfSent.Get(), "GET /spots HTTP/1.1\r\nHo"));

    program.Type(Spot1 + "\n");
    const std::string pushed = ReceiveBytes(stream.Get(), 400, 5s);
    EXPECT_NE(pushed.find("\"spotted\":\"VP8LP\""), std::string::npos) << pushed;
    Fd poller = Call(port, 5s);
    ASSERT_TRUE(SendAll(poller.Get(), "GET /spots/20m HTTP/1.1\r\nHost: x\r\n\r\n"));
    const std::string answer = ReceiveBytes(poller.Get(), 200, 5s);
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_NE(answer.find("[{\"spotter\":\"DL1ABC\",\"spotted\":\"VP8LP\",\"frequency\":14025.0,"),
              std::string::npos)
        << answer;

    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0) << program.Errors();
}

TEST_F(HeadlessProgramTest, EndOfInputKeepsRunningUntilSigint) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    Program program(dir, {"--headless", "setup.ini", "/START", "--follow"});

    program.Type(Spot1 + "\n" + Spot2);
    program.CloseInput();
    // The last line had no line end; the end of input completes it.
    ASSERT_TRUE(WaitUntil([&] {
        return Contents(dir / "ct.log").find("ZL7G") != std::string::npos;
    })) << program.Errors();
    EXPECT_TRUE(program.Running());
    program.Signal(SIGINT);

    EXPECT_EQ(program.ExitStatus(), 0);
    const std::string errors = program.Errors();
    EXPECT_NE(errors.find("CTLOG| CTLOG: Port connected\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("NODELOG| NODELOG: Port disconnected\n"), std::string::npos);
}

TEST_F(HeadlessProgramTest, SighupOpensRotatedLogsAgainAndDisconnectsNothing) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(1000, saved.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &low);
    Program program(dir, {"--headless", "setup.ini", "/START", "--follow"});
    ::setrlimit(RLIMIT_NOFILE, &saved);

    program.Type(Spot1 + "\n");
    ASSERT_TRUE(
        WaitUntil([&] { return Contents(dir / "ct.log").find("VP8LP") != std::string::npos; }));
    fs::rename(dir / "ct.log", dir / "ct.log.1");
    program.Signal(SIGHUP);
    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("SIGHUP: 3 of 3 log files opened again\n") !=
               std::string::npos;
    })) << program.Errors();
    program.Type(Spot2 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return fs::exists(dir / "ct.log") &&
               Contents(dir / "ct.log").find("ZL7G") != std::string::npos;
    }));

    EXPECT_TRUE(program.Running());
    EXPECT_EQ(Contents(dir / "ct.log.1"), Spot1 + "\r\n");
    EXPECT_EQ(Contents(dir / "ct.log"), Spot2 + "\r\n");
    const std::string errors = program.Errors();
    EXPECT_EQ(errors.find("disconnected"), std::string::npos) << errors;
    EXPECT_EQ(errors.rfind("file descriptors: limit ", 0), 0u) << errors;
    if (low.rlim_cur < saved.rlim_max) {
        EXPECT_NE(errors.find("file descriptors: limit raised from 1000 to " +
                              std::to_string(saved.rlim_max) + "\n"),
                  std::string::npos)
            << errors;
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);
}

// Two callers send as fast as they can; each followed line must be whole and
// carry the name of the port that received it.
TEST_F(HeadlessProgramTest, FollowAtFullSpeedWritesEveryLineWholeUnderItsPort) {
    const int ports[] = {FreePort(SOCK_STREAM), FreePort(SOCK_STREAM)};
    const std::string names[] = {"A", "B"};
    std::string setup = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
    for (int i = 0; i < 2; ++i) {
        setup += PortSection("RXTEL", names[i],
                             "HostName=127.0.0.1\nPortNumber=" + std::to_string(ports[i]) + "\n",
                             "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\n"
                             "CRLFOption=3\n" +
                                 Options);
    }
    setup += "Trace=0\nPort=0\nPort=0\nTrace=0\nPort=0\nPort=0\n";
    Put(dir / "setup.ini", setup);
    Program program(dir, {"--headless", "setup.ini", "/START", "--follow"});
    ASSERT_TRUE(WaitUntil([&] {
        const std::string errors = program.Errors();
        return errors.find("A: Listening on") != std::string::npos &&
               errors.find("B: Listening on") != std::string::npos;
    })) << program.Errors();
    Fd callers[2];
    for (int i = 0; i < 2; ++i) {
        callers[i] = Call(ports[i], Deadline);
        ASSERT_GE(callers[i].Get(), 0) << program.Errors();
    }

    constexpr int Lines = 20000;
    std::string streams[2];
    for (int i = 0; i < 2; ++i) {
        for (int n = 0; n < Lines; ++n) {
            streams[i] += names[i] + " line " + std::to_string(n) + "\r\n";
        }
    }
    // Pieces that end inside lines, the two callers taking turns.
    constexpr std::size_t Piece = 4093;
    for (std::size_t at = 0; at < streams[0].size() || at < streams[1].size(); at += Piece) {
        for (int i = 0; i < 2; ++i) {
            if (at < streams[i].size()) {
                ASSERT_TRUE(
                    SendAll(callers[i].Get(), std::string_view(streams[i]).substr(at, Piece)));
            }
        }
    }
    const std::string last[] = {"A| A line 19999\n", "B| B line 19999\n"};
    ASSERT_TRUE(WaitUntil([&] {
        const std::string errors = program.Errors();
        return errors.find(last[0]) != std::string::npos &&
               errors.find(last[1]) != std::string::npos;
    }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);

    int next[2] = {0, 0};
    std::istringstream errors(program.Errors());
    for (std::string line; std::getline(errors, line);) {
        for (int i = 0; i < 2; ++i) {
            const std::string lead = names[i] + "| ";
            if (line.rfind(lead, 0) != 0 || line.rfind(lead + names[i] + ": ", 0) == 0) {
                continue;
            }
            ASSERT_EQ(line, lead + names[i] + " line " + std::to_string(next[i]));
            ++next[i];
        }
    }
    EXPECT_EQ(next[0], Lines);
    EXPECT_EQ(next[1], Lines);
}

TEST_F(HeadlessProgramTest, WithoutStartTypedLinesGoNowhere) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    Program program(dir, {"--headless", "setup.ini"});
    program.Type(Spot1 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("Ports loaded, use Connect command to start\n") !=
               std::string::npos;
    }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);
    EXPECT_FALSE(fs::exists(dir / "ct.log"));
    EXPECT_EQ(program.Output(), "");
}

TEST_F(HeadlessProgramTest, LogPipeWithoutAReaderNeitherFreezesNorKeepsSigtermOut) {
    std::string setup = ConsoleToThreeLogs();
    setup.replace(setup.find("ct.log"), 6, "ct.fifo");
    Put(dir / "setup.ini", setup);
    ASSERT_EQ(::mkfifo((dir / "ct.fifo").c_str(), 0600), 0);
    Program program(dir, {"--headless", "setup.ini", "/START"});

    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("SPIDERLOG port connect commanded\n") != std::string::npos;
    })) << program.Errors();
    program.Type(Spot1 + "\n");
    ASSERT_TRUE(
        WaitUntil([&] { return Contents(dir / "spider.log").find("VP8LP") != std::string::npos; }));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);
}

TEST_F(HeadlessProgramTest, MissingSetupFileSaysSoWithStatusOne) {
    for (const char* mode : {"--headless", "--check"}) {
        Program program(dir, {mode, "absent.ini"});
        EXPECT_EQ(program.ExitStatus(), 1) << mode;
        EXPECT_EQ(program.Errors(),
                  "spotweaver: Can't open setup file \"absent.ini\": No such file or directory\n")
            << mode;
    }
}

TEST_F(HeadlessProgramTest, CheckOfAGoodSetupExitsZeroAndConnectsNothing) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    Program program(dir, {"--check", "setup.ini"});
    EXPECT_EQ(program.ExitStatus(), 0);
    EXPECT_EQ(program.Errors(), "CON port loaded\nCTLOG port loaded\nNODELOG port loaded\n"
                                "SPIDERLOG port loaded\n"
                                "Ports loaded, use Connect command to start\n");
    EXPECT_FALSE(fs::exists(dir / "ct.log"));
}

TEST_F(HeadlessProgramTest, CheckOfARejectedSetupExitsOneAndSaysWhy) {
    std::string text = ConsoleToThreeLogs();
    text.replace(text.find("PortType=FILE"), 13, "PortType=DISK");
    Put(dir / "setup.ini", text);
    Program program(dir, {"--check", "setup.ini"});

    EXPECT_EQ(program.ExitStatus(), 1);
    const std::string errors = program.Errors();
    EXPECT_NE(errors.find("spotweaver: Setup file: port section 2 has the unknown PortType "
                          "\"DISK\": its lines are skipped\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("NODELOG port loaded\n"), std::string::npos);
}

TEST_F(HeadlessProgramTest, CheckOfAMendedSetupExitsThreeAndSaysWhatWasDropped) {
    std::string text = ConsoleToThreeLogs();
    const std::string ctLog = "InputType=5\nDupeLength=100\nCRLFOption=3\n" + Options;
    text.replace(text.find(ctLog), ctLog.size(),
                 "InputType=5\nDupeLength=-5\nCRLFOption=3\n" + Options + "Filter=reject\n");
    Put(dir / "setup.ini", text);
    Program program(dir, {"--check", "setup.ini"});

    EXPECT_EQ(program.ExitStatus(), 3);
    const std::string errors = program.Errors();
    EXPECT_NE(errors.find("CTLOG| CTLOG: DupeLength -5 is out of range, using 0\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("dropped, \"reject\" alone would drop every spot; name a criterion: "
                          "reject\n"),
              std::string::npos)
        << errors;
}

TEST_F(HeadlessProgramTest, CheckSaveAsWritesTheSetupBackByteForByte) {
    Put(dir / "setup.ini", ConsoleToThreeLogs());
    {
        Program first(dir, {"--check", "setup.ini", "--save-as", "saved.ini"});
        ASSERT_EQ(first.ExitStatus(), 0) << first.Errors();
    }
    const std::string saved = Contents(dir / "saved.ini");
    EXPECT_EQ(saved.rfind("NumberOfPorts=4\nFontSize=20\n", 0), 0u);
    EXPECT_NE(saved.find("ScriptSteps=10\n"), std::string::npos);
    EXPECT_NE(saved.find("m_wndToolBar.showwindow=268435456\n"), std::string::npos);

    Program second(dir, {"--check", "saved.ini", "--save-as", "again.ini"});
    ASSERT_EQ(second.ExitStatus(), 0) << second.Errors();
    EXPECT_EQ(Contents(dir / "again.ini"), saved);
}

// The bundled demo sends the console's spots as PC11 frames from its telnet
// server port to its own telnet client port, which hands them to a log.
TEST_F(HeadlessProgramTest, BundledDemoRoutesSpotsOverItsTelnetLink) {
    Program program(dir, {"--headless", SPOTWEAVER_EXAMPLES "/demo.ini", "/START", "--follow"});
    ASSERT_TRUE(WaitUntil([&] {
        return program.Errors().find("LINK| LINK: Port connected") != std::string::npos;
    })) << program.Errors();
    program.Type(Spot1 + "\n" + Spot2 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return Contents(dir / "link-dx.log").find("ZL7G") != std::string::npos;
    })) << program.Errors();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitStatus(), 0);

    EXPECT_EQ(Contents(dir / "link-dx.log"),
              "DX de DL1ABC:    14025.0  VP8LP        CQ up 2 <G4ABC                 1201Z\r\n"
              "DX de K1XYZ:      7005.5  ZL7G         599 in Maine <G4ABC            1203Z\r\n");
}

TEST_F(HeadlessProgramTest, BundledDemoChecksClean) {
    Program program(dir, {"--check", SPOTWEAVER_EXAMPLES "/demo.ini"});
    EXPECT_EQ(program.ExitStatus(), 0) << program.Errors();
}

} // namespace

// Three sites on one broker, each with its own instance id: a console, an
// MQTT port of JSON spots subscribed to the shared topic and publishing to
// it, and a log of what the broker brings. A spot typed at one site reaches
// the other two once and is not taken back by its own.
TEST_F(HeadlessProgramTest, MqttSpotReachesTheOtherSitesOnceAndNeverComesBack) {
    if (!MosquittoBroker::Available()) {
        GTEST_SKIP() << MosquittoBroker::Program << " is not installed";
    }
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());

    std::vector<std::unique_ptr<Program>> sites;
    for (const std::string site : {"a", "b", "c"}) {
        fs::create_directories(dir / site / "config");
        std::string setup = "NumberOfPorts=3\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n";
        setup += PortSection("CON", "CON", "",
                             "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\nDupeLength=0\n"
                             "CRLFOption=3\n" +
                                 Options);
        setup += PortSection("MQTT", "MQTT",
                             "HostName=127.0.0.1\nPortNumber=" + std::to_string(broker.Port()) +
                                 "\nMqttClientId=site-" + site +
                                 "\nMqttSubscribe=spotweaver/spots/#\nMqttQos=1\n",
                             "InputType=10\nDupeLength=0\nCRLFOption=2\n" + Options);
        setup += PortSection("FILE", "LOG", "FileName=mqtt.log\n",
                             "InputType=5\nDupeLength=0\nCRLFOption=2\n" + Options);
        setup += "Trace=0\nPort=2\nPort=0\nPort=0\nTrace=0\nPort=3\nPort=0\nPort=0\n"
                 "Trace=0\nPort=0\nPort=0\nPort=0\n";
        Put(dir / site / "setup.ini", setup);
        sites.push_back(std::make_unique<Program>(
            dir / site, std::vector<std::string>{"--headless", "--follow", "setup.ini", "/START"},
            Program::Environment{{"XDG_CONFIG_HOME", (dir / site / "config").string()}}));
    }
    for (auto& site : sites) {
        ASSERT_TRUE(WaitUntil([&] {
            return site->Errors().find("MQTT: Connected to broker") != std::string::npos;
        })) << site->Errors();
    }
    auto log = [&](const char* site) { return Contents(dir / site / "mqtt.log"); };

    sites[0]->Type(Spot1 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return log("b").find("VP8LP") != std::string::npos &&
               log("c").find("VP8LP") != std::string::npos;
    })) << sites[1]->Errors();
    // Published after the first spot reached the others, so the broker sends
    // it to A after A's own: once it is in A's log, A's own has been dropped.
    sites[2]->Type(Spot2 + "\n");
    ASSERT_TRUE(WaitUntil([&] {
        return log("a").find("ZL7G") != std::string::npos &&
               log("b").find("ZL7G") != std::string::npos;
    })) << sites[0]->Errors();
    for (auto& site : sites) {
        site->Signal(SIGTERM);
        EXPECT_EQ(site->ExitStatus(), 0) << site->Errors();
    }

    EXPECT_EQ(log("a"), Spot2 + "\n");
    EXPECT_EQ(log("b"), Spot1 + "\n" + Spot2 + "\n");
    EXPECT_EQ(log("c"), Spot1 + "\n");
}
