// The headless program between two partner nodes played by the test over
// loopback: one it calls (OUT, partner GB7TST) and one that calls it (IN,
// partner GB7XYZ). Both links come up by the built-in handshake, every ping
// is answered once, spots pass both ways, and no frame of a handshake
// reaches the other link or the log.

#include "ChildProgram.h"
#include "LoopbackSocket.h"
#include "SetupText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>

#include <sys/socket.h>

namespace {

using namespace std::chrono_literals;
using namespace SetupText;

std::string NodeSection(const std::string& type, const std::string& name, int portNumber,
                        const std::string& script) {
    return Port(type, name, 0, "A", script) + Line("HostName", "127.0.0.1") +
           Line("PortNumber", std::to_string(portNumber)) + NodeRouter("GB7SW") +
           "NodeHandshake=1\n";
}

std::string ReceiveLine(int fd) {
    std::string line;
    while (line.empty() || line.back() != '\n') {
        const std::string c = ReceiveBytes(fd, 1, 5s);
        if (c.empty()) {
            break;
        }
        line += c;
    }
    return line;
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// A partner sends each frame and expects exactly the answer back.
void Exchange(int fd, const std::string& frames, const std::string& answer) {
    ASSERT_TRUE(SendAll(fd, frames));
    EXPECT_EQ(ReceiveBytes(fd, answer.size(), 5s), answer) << "after " << frames;
}

TEST(NodeLinkLoopbackTest, BothDirections_HandshakePingsAndSpotsNoInitFrameLeaks) {
    ScratchFolder dir;
    Listener partner;
    const int inPort = FreePort(SOCK_STREAM);
    // OUT's login prompt is the partner's call, which recurs in its frames;
    // with automatic reconnection armed it must be answered once only.
    WriteFileBytes(dir.Path() / "setup.ini",
                   Header(3) +
                       NodeSection("TEL", "OUT", partner.Port(), Script({{"GB7TST", "GB7SW"}}, 1)) +
                       NodeSection("RXTEL", "IN", inPort, Script({{"", "login: "}}, 1)) +
                       Port("FILE", "LOG") + Line("FileName", "spots.log") + CtRouter(5, 2) +
                       Routes(0, {2, 3, 0}) + Routes(0, {1, 3, 0}) + Routes(0, {0, 0, 0}));
    ChildProgram program(dir.Path(), {"--headless", "--follow", "setup.ini", "/START"});

    Fd out = partner.Accept(10s);
    ASSERT_GE(out.Get(), 0) << program.Errors();
    Exchange(out.Get(), "GB7TST login: ", "GB7SW\n");
    Exchange(out.Get(), "PC18^DXSpider Version: 1.57 Build: 592 pc9x^5300^\n", "PC20^\n");
    ASSERT_TRUE(SendAll(out.Get(), "PC19^1^GB7TST^0^5300^H25^\nPC22^\n"));
    ASSERT_TRUE(WaitUntil(
        [&] { return program.Errors().find("OUT: Node link with GB7TST up") != std::string::npos; },
        10s))
        << program.Errors();

    Fd in;
    ASSERT_TRUE(WaitUntil([&] { return (in = Call(inPort, 1s)).Get() >= 0; }, 10s));
    EXPECT_EQ(ReceiveBytes(in.Get(), 8, 5s), "login: \n");
    Exchange(in.Get(), "GB7XYZ\n", "PC18^Spotweaver " SPOTWEAVER_VERSION "^5401^\n");
    const std::string nodes = "PC19^1^GB7XYZ^0^5300^1^GB7SW^0^5000^H25^\n";
    Exchange(in.Get(), nodes + "PC20^\n", "PC22^\n");
    // A node list is foreign traffic and travels to the other node link.
    EXPECT_EQ(ReceiveLine(out.Get()), nodes);

    // The partners ping every 100 ms for 5 s; here as fast as the links go.
    for (int i = 0; i < 50; ++i) {
        Exchange(out.Get(), "PC51^GB7SW^GB7TST^1^\n", "PC51^GB7TST^GB7SW^0^\n");
        Exchange(in.Get(), "PC51^GB7SW^GB7XYZ^1^\n", "PC51^GB7XYZ^GB7SW^0^\n");
    }

    ASSERT_TRUE(SendAll(out.Get(),
                        "PC11^14045.0^VP8NC^ 8-Dec-2026^0808Z^node node-out^G4BBB^GB7TST^H30\n"));
    const std::string toIn = ReceiveLine(in.Get());
    EXPECT_TRUE(toIn.starts_with("PC11^14045.0^VP8NC^")) << toIn;
    EXPECT_TRUE(toIn.ends_with("^0808Z^node node-out <GB7SW^G4BBB^GB7SW^H99^~\n")) << toIn;
    ASSERT_TRUE(SendAll(
        in.Get(), "PC61^7005.0^JA1XYZ^ 8-Dec-2026^0810Z^long path^G4CCC^GB7XYZ^192.0.2.7^H30^~\n"));
    const std::string toOut = ReceiveLine(out.Get());
    EXPECT_TRUE(toOut.starts_with("PC11^7005.0^JA1XYZ^")) << toOut;
    EXPECT_TRUE(toOut.ends_with("^0810Z^long path <GB7SW^G4CCC^GB7SW^H99^~\n")) << toOut;

    ASSERT_TRUE(
        WaitUntil([&] { return Count(FileBytes(dir.Path() / "spots.log"), "\n") == 2; }, 10s));
    const std::string log = FileBytes(dir.Path() / "spots.log");
    EXPECT_EQ(Count(log, "DX de G4BBB:"), 1) << log;
    EXPECT_EQ(Count(log, "DX de G4CCC:"), 1) << log;
    EXPECT_EQ(ReceiveBytes(out.Get(), 1, 200ms), "");
    EXPECT_EQ(ReceiveBytes(in.Get(), 1, 200ms), "");

    const std::string views = program.Errors();
    EXPECT_EQ(Count(views, "Node link with"), 2) << views;
    EXPECT_EQ(Count(views, "IN: Node link with GB7XYZ up"), 1) << views;
    EXPECT_EQ(Count(views, "Script Send > GB7SW"), 1) << views;
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.WaitForEnd(10s));
    EXPECT_EQ(program.How(), "exit 0");
}

} // namespace
