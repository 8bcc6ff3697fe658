#include "transport/LinkHold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// PC11 frames of 60 bytes with CR LF, numbered in the comment.
std::string Frame(int n) {
    std::string frame =
        "PC11^14025.0^W1AW^8-Dec-2026^1200Z^cq #" + std::to_string(n) + "^N0CALL^H99^~";
    frame.resize(58, ' ');
    return frame + "\r\n";
}

std::vector<std::string> SendAll(CLinkHold& hold) {
    std::vector<std::string> sent;
    while (hold.HasWaiting()) {
        sent.push_back(hold.NextWaiting());
        hold.MarkSent();
    }
    return sent;
}

TEST(LinkHoldTest, LinkLost_LinesFromThePartlyAcknowledgedOneWaitAgainBeforeNewOnes) {
    CLinkHold hold(1024 * 1024);
    for (int n = 0; n < 5; ++n) {
        hold.Hold(Frame(n));
    }
    SendAll(hold);

    hold.Acknowledged(61); // the last frame and one byte of the one before
    hold.LinkLost();
    hold.Hold(Frame(5));

    EXPECT_EQ(SendAll(hold), (std::vector<std::string>{Frame(3), Frame(4), Frame(5)}));
    EXPECT_EQ(hold.TakeDropped(), 0u);
}

TEST(LinkHoldTest, Full_OldestGoFirstAndOnlyUnsentOnesCountAsDropped) {
    CLinkHold hold(4 * 60);
    hold.Hold(Frame(0));
    hold.Hold(Frame(1));
    SendAll(hold);
    for (int n = 2; n < 6; ++n) {
        hold.Hold(Frame(n));
    }
    EXPECT_EQ(hold.TakeDropped(), 0u) << "the two sent frames made room";

    hold.Hold(Frame(6));
    hold.LinkLost();

    EXPECT_EQ(hold.TakeDropped(), 1u);
    EXPECT_EQ(SendAll(hold), (std::vector<std::string>{Frame(3), Frame(4), Frame(5), Frame(6)}));
}

} // namespace
