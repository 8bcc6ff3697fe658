#include "app/StdStreams.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Standard output is a pipe nobody reads for a while, non-blocking as a
// terminal whose input was made non-blocking would be.
TEST(StdStreamsTest, OutputToAPipeNotReadForAWhileLosesNothing) {
    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app(argc, argv);
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(fds[1], STDOUT_FILENO);

    std::string sent;
    std::string got;
    {
        StdStreams::LoopScope scope;
        for (int i = 0; sent.size() < 256 * 1024; ++i) {
            const std::string line = "DX de G4ABC: 14025.0 VP8LP " + std::to_string(i) + "\n";
            StdStreams::Output(line);
            sent += line;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < sent.size() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            char chunk[65536];
            ssize_t n = 0;
            while ((n = ::read(fds[0], chunk, sizeof chunk)) > 0) {
                got.append(chunk, static_cast<std::size_t>(n));
            }
        }
    }
    ::dup2(saved, STDOUT_FILENO);
    for (int fd : {saved, fds[0], fds[1]}) {
        ::close(fd);
    }

    EXPECT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent);
}

} // namespace
