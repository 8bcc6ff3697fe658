#include "transport/WriteQueue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(WriteQueueTest, Write_UpToTheCapExactlyIsTakenOneByteMoreIsRefused) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    // A reader that takes nothing more: every byte written from now on waits.
    const std::string block(4096, 'x');
    while (::write(fds[1], block.data(), block.size()) > 0) {
    }
    while (::write(fds[1], block.data(), 1) > 0) {
    }
    ASSERT_EQ(errno, EAGAIN);

    CWriteQueue queue(8);
    queue.Start(fds[1], [](int) {});
    EXPECT_TRUE(queue.Write("DX de K1", 8));
    EXPECT_EQ(queue.Pending(), 8u);
    EXPECT_FALSE(queue.Write("A", 1));
    EXPECT_EQ(queue.Pending(), 8u);

    queue.Stop();
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
