#include "app/ConsoleInput.h"

#include "platform/qt/QtEventLoop.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "support/FakePortHost.h"
#include "transport/ConsoleHandler.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class ConsoleInputTest : public ::testing::Test {
  protected:
    ConsoleInputTest() {
        console.PortName = "CON";
        // Room for two of the test's lines, not three.
        console.RingBuffer().SetSize(64);
        console.SetRouter(RouterFactory::Create("Command", console));
        console.Connect();
        EXPECT_EQ(::pipe(fds), 0);
    }
    ~ConsoleInputTest() override {
        for (int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    // Runs the event loop until done() holds, at most two seconds.
    bool PumpUntil(const std::function<bool()>& done) {
        const auto end = Clock::now() + std::chrono::seconds(2);
        while (!done() && Clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }
    void Type(const std::string& text) {
        ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    QtEventLoop loop;
    FakePortHost host;
    RecordingPortView view;
    CConsoleHandler console{host, view};
    int fds[2] = {-1, -1};
};

const std::string One = "DX de G4ABC: 14025.0 VP8LP";
const std::string Two = "DX de K1XYZ:  7005.5 ZL7G ";
const std::string Three = "DX de PY2ZZ: 50313.0 CE0Y ";

TEST_F(ConsoleInputTest, LinesWaitForRoomInTheConsoleInsteadOfBeingLost) {
    CConsoleInput input(fds[0], loop, [this] { return &console; });

    Type(One + "\n" + Two + "\r\n" + Three + "\n");
    ASSERT_TRUE(PumpUntil([&] { return console.PendingLines() == 2; }));
    EXPECT_EQ(console.RingBuffer().GetLine(), One);
    EXPECT_EQ(console.RingBuffer().GetLine(), Two);

    ASSERT_TRUE(PumpUntil([&] { return console.PendingLines() == 1; }));
    EXPECT_EQ(console.RingBuffer().GetLine(), Three);
    // A terminal shares these flags with standard output and the shell.
    EXPECT_EQ(::fcntl(fds[0], F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(view.Text(), "CON: Port connected\n" + One + "\r\n" + Two + "\r\n" + Three + "\r\n");
}

TEST_F(ConsoleInputTest, EndOfInputCompletesTheLastLineAndStopsReading) {
    CConsoleInput input(fds[0], loop, [this] { return &console; });

    Type(One);
    ::close(fds[1]);
    fds[1] = -1;

    ASSERT_TRUE(PumpUntil([&] { return input.AtEnd(); }));
    EXPECT_EQ(console.PendingLines(), 1);
    EXPECT_EQ(console.RingBuffer().GetLine(), One);
}

TEST_F(ConsoleInputTest, LinesForADisconnectedConsoleAreDropped) {
    CConsoleInput input(fds[0], loop, [this] { return &console; });
    console.Disconnect();

    Type(One + "\n");
    ::close(fds[1]);
    fds[1] = -1;

    ASSERT_TRUE(PumpUntil([&] { return input.AtEnd(); }));
    EXPECT_FALSE(console.RingBuffer().HasData());
}

} // namespace
