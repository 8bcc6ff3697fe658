#include "transport/SocketError.h"

#include <cerrno>

#include <gtest/gtest.h>

TEST(SocketErrorTest, BindReason_RefusedLowPortSaysPrivilegesOtherwiseTheSystemsWords) {
    EXPECT_EQ(CSocketError::BindReason(EACCES, 23),
              "permission denied: ports below 1024 need privileges");
    EXPECT_EQ(CSocketError::BindReason(EACCES, 7300), "Permission denied");
    EXPECT_EQ(CSocketError::BindReason(EADDRINUSE, 23), "Address already in use");
}
