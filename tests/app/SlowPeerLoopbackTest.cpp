// The headless program relays a fast feed to a server port whose callers
// read slowly or not at all. A caller that stops reading for a while holds
// the feed back instead of losing lines; one that never reads is closed by
// its port's rule, and the others get every line.

#include "ChildProgram.h"
#include "LoopbackSocket.h"
#include "SetupText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/socket.h>

namespace {

using namespace std::chrono_literals;
using namespace SetupText;

// Far more than the kernel's socket buffers and the port's queue hold.
constexpr int FeedLines = 150000;

std::string FeedBytes() {
    std::string bytes;
    char line[96];
    for (int i = 0; i < FeedLines; ++i) {
        std::snprintf(line, sizeof line, "DX de K1ABC:     14025.0  DL1XYZ       line %06d\n", i);
        bytes += line;
    }
    return bytes;
}

// A caller with a small receive window, so that its pause fills the
// program's queue instead of the kernel's buffers.
Fd CallWithSmallWindow(int port) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int window = 4096;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    const sockaddr_in to = Loopback("127.0.0.1", port);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        return Fd();
    }
    return fd;
}

struct Relay {
    ScratchFolder dir;
    Listener feed;
    int outPort = FreePort(SOCK_STREAM);
    std::unique_ptr<ChildProgram> program;

    Relay() {
        WriteFileBytes(dir.Path() / "setup.ini",
                       Header(2) + Port("TEL", "FEED") + Line("HostName", "127.0.0.1") +
                           Line("PortNumber", std::to_string(feed.Port())) + DirectRouter(2) +
                           Port("RXTEL", "OUT") + Line("HostName", "127.0.0.1") +
                           Line("PortNumber", std::to_string(outPort)) + "MaxCallers=2\n" +
                           DirectRouter(2) + Routes(0, {2, 0}) + Routes(0, {0, 0}));
        program = std::make_unique<ChildProgram>(
            dir.Path(), std::vector<std::string>{"--headless", "--follow", "setup.ini", "/START"});
    }
    Fd Caller() {
        Fd fd;
        WaitUntil([&] { return (fd = CallWithSmallWindow(outPort)).Get() >= 0; }, 10s);
        return fd;
    }
    // Sends the whole feed from its own thread: the program may hold it back.
    std::thread Feed(std::atomic<bool>& sent) {
        return std::thread([this, &sent] {
            Fd fd = feed.Accept(10s);
            sent = fd.Get() >= 0 && SendAll(fd.Get(), FeedBytes());
            // The feed stays up until the test has read what it needs.
            WaitUntil([] { return false; }, 1s);
        });
    }
};

TEST(SlowPeerLoopbackTest, ACallerThatPausesLosesNoLineAndTheFeedGoesOn) {
    Relay relay;
    Fd caller = relay.Caller();
    ASSERT_GE(caller.Get(), 0) << relay.program->Errors();
    std::atomic<bool> sent = false;
    std::thread feeder = relay.Feed(sent);

    std::this_thread::sleep_for(3s);
    const std::string expected = FeedBytes();
    const std::string got = ReceiveBytes(caller.Get(), expected.size(), 60s);
    feeder.join();

    EXPECT_TRUE(sent);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    EXPECT_EQ(relay.program->Errors().find("disconnected: output queue full"), std::string::npos)
        << relay.program->Errors();
    relay.program->Signal(SIGTERM);
    EXPECT_TRUE(relay.program->WaitForEnd(10s));
}

TEST(SlowPeerLoopbackTest, ACallerThatNeverReadsIsClosedAndTheOtherGetsEveryLine) {
    Relay relay;
    Fd stalled = relay.Caller();
    Fd reader = relay.Caller();
    ASSERT_GE(reader.Get(), 0) << relay.program->Errors();
    std::atomic<bool> sent = false;
    std::thread feeder = relay.Feed(sent);

    const std::string expected = FeedBytes();
    const std::string got = ReceiveBytes(reader.Get(), expected.size(), 60s);
    feeder.join();

    EXPECT_TRUE(sent);
    EXPECT_TRUE(got == expected) << got.size() << " of " << expected.size();
    const std::string views = relay.program->Errors();
    EXPECT_NE(views.find("OUT: output queue still full after 5 s, input no longer held back"),
              std::string::npos)
        << views;
    EXPECT_NE(views.find("disconnected: output queue full"), std::string::npos) << views;
    relay.program->Signal(SIGTERM);
    EXPECT_TRUE(relay.program->WaitForEnd(10s));
}

} // namespace
