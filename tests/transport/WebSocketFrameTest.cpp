#include "transport/WebSocketFrame.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Opcode = WebSocketFrame::Opcode;
using State = WebSocketFrame::State;

struct FrameRow {
    const char* name;
    std::string wire;
    State state;
    Opcode opcode;
    std::string payload;
};

class WebSocketFrameParseTest : public ::testing::TestWithParam<FrameRow> {};

TEST_P(WebSocketFrameParseTest, ReadsClientFrame) {
    const FrameRow& row = GetParam();
    WebSocketFrame frame;
    ASSERT_EQ(frame.Parse(row.wire), row.state);
    if (row.state == State::Done) {
        EXPECT_EQ(frame.opcode, row.opcode);
        EXPECT_EQ(frame.payload, row.payload);
        EXPECT_EQ(frame.length, row.wire.size());
    }
}

// A masked 16-bit-length text of n bytes, key 0: the payload reads as sent.
std::string MaskedText(std::size_t n) {
    return std::string("\x81\xfe", 2) + static_cast<char>(n >> 8) + static_cast<char>(n & 0xff) +
           std::string(4, '\0') + std::string(n, 'a');
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WebSocketFrameParseTest,
    ::testing::Values(
        FrameRow{"PingUnmasked", std::string("\x89\x82\x37\xfa\x21\x3d\x7f\x9f", 8), State::Done,
                 Opcode::Ping, "He"},
        FrameRow{"CloseWithCode", std::string("\x88\x82\0\0\0\0\x03\xe8", 8), State::Done,
                 Opcode::Close, std::string("\x03\xe8", 2)},
        FrameRow{"SixteenBitLength", MaskedText(300), State::Done, Opcode::Text,
                 std::string(300, 'a')},
        FrameRow{"HalfAFrame", std::string("\x89\x82\x37\xfa\x21", 5), State::More, Opcode::Ping,
                 ""},
        FrameRow{"OneByte", std::string("\x89", 1), State::More, Opcode::Ping, ""},
        FrameRow{"NotMasked", std::string("\x89\x00", 2), State::Bad, Opcode::Ping, ""},
        FrameRow{"ReservedBit", std::string("\xc1\x80\0\0\0\0", 6), State::Bad, Opcode::Text, ""},
        FrameRow{"ReservedOpcode", std::string("\x83\x80\0\0\0\0", 6), State::Bad, Opcode::Text,
                 ""},
        FrameRow{"SplitPing", std::string("\x09\x80\0\0\0\0", 6), State::Bad, Opcode::Ping, ""},
        FrameRow{"LongPing", std::string("\x89\xfe\x00\x7e", 4), State::Bad, Opcode::Ping, ""},
        FrameRow{"LengthHighBitSet", std::string("\x81\xff\x80\0\0\0\0\0\0\0", 10), State::Bad,
                 Opcode::Text, ""},
        FrameRow{"OverMaxPayload", MaskedText(1025).substr(0, 8), State::TooLarge, Opcode::Text,
                 ""}),
    [](const auto& info) { return info.param.name; });

TEST(WebSocketFrameTest, Append_LengthInOneTwoOrEightBytes) {
    std::string out;
    WebSocketFrame::Append(out, Opcode::Text, "hello");
    EXPECT_EQ(out, std::string("\x81\x05hello"));
    out.clear();
    WebSocketFrame::Append(out, Opcode::Text, std::string(300, 'x'));
    EXPECT_EQ(out.substr(0, 4), std::string("\x81\x7e\x01\x2c", 4));
    EXPECT_EQ(out.size(), 304u);
    out.clear();
    WebSocketFrame::Append(out, Opcode::Text, std::string(70000, 'x'));
    EXPECT_EQ(out.substr(0, 10), std::string("\x81\x7f\0\0\0\0\0\x01\x11\x70", 10));
    EXPECT_EQ(WebSocketFrame::Close(1009), std::string("\x88\x02\x03\xf1", 4));
}

} // namespace
