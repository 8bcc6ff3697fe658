#include "transport/InputRoom.h"

#include "support/FakePortHost.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct RoomRow {
    const char* name;
    int size;
    const char* held;
    int wanted;
    int expected;
};

class InputRoomTest : public ::testing::TestWithParam<RoomRow> {};

TEST_P(InputRoomTest, Bytes_TakesWhatFitsWaitsForLinesOrTakesAnOverlongLine) {
    const RoomRow& row = GetParam();
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    port.RingBuffer().SetSize(row.size);
    const std::string held = row.held;
    port.RingBuffer().Put(held.data(), static_cast<int>(held.size()));

    EXPECT_EQ(CInputRoom::Bytes(port, row.wanted), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InputRoomTest,
    ::testing::Values(RoomRow{"EmptyRingTakesAll", 16, "", 10, 10},
                      RoomRow{"FitsExactly", 16, "DX de K1", 7, 7},
                      RoomRow{"LinesWaitingTakesOnlyFreeSpace", 16, "DX de K1\r\n", 12, 5},
                      RoomRow{"NoLineEndTakesFreeSpace", 16, "DX de K1", 12, 7},
                      RoomRow{"FullWithLinesTakesNothing", 16, "DX de K1ABCD\r\n\r", 4, 0},
                      RoomRow{"FullWithoutLineEndTakesTheResettingByte", 16, "DX de K1ABCDEFG", 4,
                              1}),
    [](const ::testing::TestParamInfo<RoomRow>& info) { return info.param.name; });

TEST(InputRoomFitsTest, Fits_WholeDatagramOrNoLineToWaitFor) {
    FakePortHost host;
    FakePort& port = host.AddPort("CTE");
    port.RingBuffer().SetSize(16);
    port.RingBuffer().Put("B0 K1\n", 6);
    EXPECT_TRUE(CInputRoom::Fits(port, 9));
    EXPECT_FALSE(CInputRoom::Fits(port, 10));
    port.RingBuffer().GetLine();
    EXPECT_TRUE(CInputRoom::Fits(port, 40));
}

TEST(InputRoomWorthReadingTest, WorthReading_WhenHalfFreeOrNoLineLeft) {
    FakePortHost host;
    FakePort& port = host.AddPort("TEL");
    port.RingBuffer().SetSize(20);
    port.RingBuffer().Put("first\nsecond\nthird", 18);
    EXPECT_FALSE(CInputRoom::WorthReading(port));

    port.RingBuffer().GetLine();
    EXPECT_FALSE(CInputRoom::WorthReading(port)) << "7 of 20 free, a line left";
    port.RingBuffer().GetLine();
    EXPECT_TRUE(CInputRoom::WorthReading(port)) << "14 of 20 free";
    port.RingBuffer().SetSize(20);
    port.RingBuffer().Put("a\nbcdefghijkl", 13);
    EXPECT_FALSE(CInputRoom::WorthReading(port));
    port.RingBuffer().GetLine();
    EXPECT_TRUE(CInputRoom::WorthReading(port)) << "no line end left";
}

} // namespace
