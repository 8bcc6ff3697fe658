#include "platform/qt/QtEventLoop.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

class QtEventLoopTest : public ::testing::Test {
  protected:
    // Serves whatever is due now, twice over, so a zero-delay timer fires.
    static void Serve() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

TEST_F(QtEventLoopTest, StoppedTimersNeverFireEvenWhenAlreadyDue) {
    QtEventLoop loop;
    int fired = 0;
    const IEventLoop::TimerId repeating = loop.StartTimer(0, [&] { ++fired; });
    const IEventLoop::TimerId single = loop.SingleShot(0, [&] { ++fired; });
    IEventLoop::TimerId later = 0;
    // Both due in the same pass: the first stops the second.
    loop.SingleShot(0, [&] { loop.StopTimer(later); });
    later = loop.SingleShot(0, [&] { ++fired; });
    loop.StopTimer(repeating);
    loop.StopTimer(single);

    Serve();

    EXPECT_EQ(fired, 0);
}

TEST_F(QtEventLoopTest, PostedCallsForAGoneLoopAreNeverRun) {
    bool ran = false;
    auto loop = std::make_unique<QtEventLoop>();
    loop->Post([&] { ran = true; });
    loop->SingleShot(0, [&] { ran = true; });
    loop.reset();

    Serve();

    EXPECT_FALSE(ran);
}

TEST_F(QtEventLoopTest, TimerIdsStayPositiveAndDistinctPastTheLargest) {
    QtEventLoop loop(INT_MAX);
    const IEventLoop::TimerId last = loop.StartTimer(1000, [] {});
    const IEventLoop::TimerId wrapped = loop.SingleShot(1000, [] {});

    EXPECT_EQ(last, INT_MAX);
    EXPECT_EQ(wrapped, 1);
}

} // namespace
