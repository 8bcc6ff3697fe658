#include "platform/qt/SignalWatcher.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

#include <csignal>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void OwnHandler(int) {}

// SIGTERM carries a handler of the test's own, as a host program's would.
class SignalWatcherTest : public ::testing::Test {
  protected:
    SignalWatcherTest() {
        struct sigaction own {};
        own.sa_handler = &OwnHandler;
        sigemptyset(&own.sa_mask);
        ::sigaction(SIGTERM, &own, &m_saved);
    }
    ~SignalWatcherTest() override { ::sigaction(SIGTERM, &m_saved, nullptr); }

    static bool OwnHandlerInstalled() {
        struct sigaction now {};
        ::sigaction(SIGTERM, nullptr, &now);
        return now.sa_handler == &OwnHandler;
    }

    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};

  private:
    struct sigaction m_saved {};
};

TEST_F(SignalWatcherTest, LeavingPutsBackTheHandlerItReplaced) {
    {
        CSignalWatcher watcher([](int) {});
        ASSERT_TRUE(watcher.IsWatching());
        EXPECT_FALSE(OwnHandlerInstalled());
    }
    EXPECT_TRUE(OwnHandlerInstalled());
}

TEST_F(SignalWatcherTest, WithoutAPipeSaysSoAndInstallsNothing) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "without free descriptors the sanitizer runtime cannot read the module "
                    "list its own type checks need; the normal build runs this test";
#endif
    int spare[2];
    ASSERT_EQ(::pipe2(spare, O_NONBLOCK), 0);
    // Every descriptor below a small limit taken, so the watcher's pipe
    // cannot be made.
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const rlimit few{64, files.rlim_max};
    ::setrlimit(RLIMIT_NOFILE, &few);
    std::vector<int> taken;
    for (int fd = ::dup(spare[0]); fd >= 0; fd = ::dup(spare[0])) {
        taken.push_back(fd);
    }

    bool watching = true;
    std::string problem;
    {
        CSignalWatcher watcher([](int) {});
        watching = watcher.IsWatching();
        problem = watcher.Problem();
    }
    for (int fd : taken) {
        ::close(fd);
    }
    ::setrlimit(RLIMIT_NOFILE, &files);
    ::close(spare[0]);
    ::close(spare[1]);

    EXPECT_FALSE(watching);
    EXPECT_TRUE(OwnHandlerInstalled());
    EXPECT_EQ(problem, "spotweaver: cannot watch for SIGINT and SIGTERM (Too many open files); "
                       "they end the program at once\n");
}

} // namespace
