#include "port/RingBuffer.h"

#include "setup/SetupFile.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

void Put(CRingBuffer& ring, std::string_view bytes) {
    ring.Put(bytes.data(), static_cast<int>(bytes.size()));
}

CRingBuffer Sized(int n) {
    CRingBuffer ring;
    EXPECT_EQ(ring.SetSize(n), 1);
    return ring;
}

} // namespace

TEST(RingBufferTest, DefaultConstructed_IsEmptyAndStoresNothing) {
    CRingBuffer ring;
    Put(ring, "DX de G0ABC\r\n");
    EXPECT_EQ(ring.Size(), 0);
    EXPECT_FALSE(ring.HasData());
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_EQ(ring.FreeSpace(), 0);
    EXPECT_EQ(ring.GetChar(), '\0');
    EXPECT_EQ(ring.GetLine(), "");
    EXPECT_EQ(ring.GetAll(), "");
    EXPECT_EQ(ring.LastLength(), 0);
}

TEST(RingBufferTest, GetLine_CrLfLinesGiveLineThenEmptyLineEach) {
    CRingBuffer ring = Sized(64);
    Put(ring, "ab\r\ncd\r\n");
    EXPECT_EQ(ring.LineCount(), 4);

    EXPECT_EQ(ring.GetLine(), "ab");
    EXPECT_EQ(ring.LineCount(), 3);
    EXPECT_EQ(ring.GetLine(), "");
    EXPECT_EQ(ring.LineCount(), 2);
    EXPECT_EQ(ring.GetLine(), "cd");
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.GetLine(), "");
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, GetLine_UnterminatedTailComesOutWhenRingRunsEmpty) {
    CRingBuffer ring = Sized(64);
    Put(ring, "DX de K1AB: 14025.0 W1AW\nDX de K1");
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.GetLine(), "DX de K1AB: 14025.0 W1AW");
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_EQ(ring.GetLine(), "DX de K1");
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, GetLine_NulByteEndsLineAndRestComesNext) {
    CRingBuffer ring = Sized(64);
    Put(ring, std::string_view("ab\0cd\n", 6));
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.GetLine(), "ab");
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.GetLine(), "cd");
    EXPECT_EQ(ring.LineCount(), 0);
}

// The scan takes the bytes in blocks: a stop at any place of a block, and
// a line across the end of the storage, must end the line there.
TEST(RingBufferTest, GetLine_StopAtEveryOffsetAndAcrossTheWrapEndsTheLine) {
    for (const char stop : {'\r', '\n', '\0'}) {
        for (int length = 0; length < 40; ++length) {
            CRingBuffer ring = Sized(64);
            Put(ring, std::string(40, 'x'));
            ring.GetAll();
            const std::string line(static_cast<std::size_t>(length), 'a');
            Put(ring, line + stop + "z\n");
            EXPECT_EQ(ring.GetLine(), line) << "stop " << int(stop) << " after " << length;
            EXPECT_EQ(ring.GetLine(), "z");
        }
    }
}

TEST(RingBufferTest, GetLine_LoneCrEndsLine) {
    CRingBuffer ring = Sized(64);
    Put(ring, "one\rtwo\r");
    EXPECT_EQ(ring.GetLine(), "one");
    EXPECT_EQ(ring.GetLine(), "two");
    EXPECT_EQ(ring.LineCount(), 0);
}

TEST(RingBufferTest, GetLine_ReusesOneLineBuffer) {
    CRingBuffer ring = Sized(64);
    Put(ring, "first\nsecond\n");
    const char* first = ring.GetLine().data();
    EXPECT_EQ(ring.GetLine().data(), first);
}

TEST(RingBufferTest, GetAll_TakesEverythingWithLineEndsAndNul) {
    CRingBuffer ring = Sized(64);
    Put(ring, std::string_view("a\r\n\0b\n", 6));
    EXPECT_EQ(ring.LineCount(), 3);
    EXPECT_EQ(ring.GetAll(), std::string_view("a\r\n\0b\n", 6));
    EXPECT_EQ(ring.LastLength(), 6);
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, GetAll_OnEmptyBufferGivesEmptyAndLastLengthZero) {
    CRingBuffer ring = Sized(64);
    Put(ring, "xyz");
    EXPECT_EQ(ring.GetAll(), "xyz");
    EXPECT_EQ(ring.LastLength(), 3);
    EXPECT_EQ(ring.GetAll(), "");
    EXPECT_EQ(ring.LastLength(), 0);
}

TEST(RingBufferTest, GetChar_TakesBytesInOrderThenZero) {
    CRingBuffer ring = Sized(8);
    Put(ring, "ab");
    EXPECT_EQ(ring.GetChar(), 'a');
    EXPECT_EQ(ring.GetChar(), 'b');
    EXPECT_EQ(ring.GetChar(), '\0');
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, Put_WrapsAroundEndOfStorage) {
    CRingBuffer ring = Sized(8);
    Put(ring, "12345\n");
    EXPECT_EQ(ring.GetLine(), "12345");
    Put(ring, "abcdef\n");
    EXPECT_EQ(ring.FreeSpace(), 0);
    EXPECT_EQ(ring.GetLine(), "abcdef");
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, Put_SizeMinusOneBytesAreKept) {
    CRingBuffer ring = Sized(8);
    Put(ring, "abcdef\n");
    EXPECT_EQ(ring.FreeSpace(), 0);
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.GetAll(), "abcdef\n");
}

TEST(RingBufferTest, Put_SizethByteEmptiesRingAndFollowingBytesAreStored) {
    CRingBuffer ring = Sized(8);
    Put(ring, "abcdef\n");
    Put(ring, "XYZ\n");
    // 'X' filled the ring and was dropped with everything else.
    EXPECT_EQ(ring.LineCount(), 1);
    EXPECT_EQ(ring.FreeSpace(), 4);
    EXPECT_EQ(ring.GetAll(), "YZ\n");
    EXPECT_EQ(ring.LastLength(), 3);
}

TEST(RingBufferTest, Put_FullRingResetAlsoEmptiesSpare) {
    CRingBuffer ring = Sized(4);
    ring.Spare() = "keep";
    Put(ring, "abcd");
    EXPECT_EQ(ring.Spare(), "");
    EXPECT_FALSE(ring.HasData());
}

TEST(RingBufferTest, FreeSpace_CountsBytesPuttableWithoutReset) {
    CRingBuffer ring = Sized(10);
    EXPECT_EQ(ring.FreeSpace(), 9);
    Put(ring, "abc");
    EXPECT_EQ(ring.FreeSpace(), 6);
    ring.GetChar();
    EXPECT_EQ(ring.FreeSpace(), 7);
    Put(ring, "1234567");
    EXPECT_EQ(ring.FreeSpace(), 0);
    EXPECT_EQ(ring.GetAll(), "bc1234567");
}

TEST(RingBufferTest, SetSize_DiscardsContentAndCounters) {
    CRingBuffer ring = Sized(16);
    Put(ring, "ab\ncd\n");
    ring.GetAll();
    Put(ring, "ef\n");
    ring.Spare() = "SH/DX";
    EXPECT_EQ(ring.SetSize(32), 1);
    EXPECT_EQ(ring.Size(), 32);
    EXPECT_FALSE(ring.HasData());
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_EQ(ring.LastLength(), 0);
    EXPECT_EQ(ring.Spare(), "");
    EXPECT_EQ(ring.FreeSpace(), 31);
    EXPECT_GE(ring.Spare().capacity(), 32u);
}

TEST(RingBufferTest, SetSize_ZeroOrNegativeGivesRingThatStoresNothing) {
    for (int n : {0, -1, -32000}) {
        SCOPED_TRACE(n);
        CRingBuffer ring = Sized(16);
        Put(ring, "old\n");
        EXPECT_EQ(ring.SetSize(n), 1);
        Put(ring, "new line\r\n");
        EXPECT_EQ(ring.Size(), 0);
        EXPECT_FALSE(ring.HasData());
        EXPECT_EQ(ring.LineCount(), 0);
        EXPECT_EQ(ring.FreeSpace(), 0);
        EXPECT_EQ(ring.GetChar(), '\0');
        EXPECT_EQ(ring.GetLine(), "");
        EXPECT_EQ(ring.GetAll(), "");
    }
}

TEST(RingBufferTest, SetSize_OneHoldsNoByte) {
    CRingBuffer ring = Sized(1);
    EXPECT_EQ(ring.FreeSpace(), 0);
    Put(ring, "a\n");
    EXPECT_FALSE(ring.HasData());
    EXPECT_EQ(ring.LineCount(), 0);
}

TEST(RingBufferTest, Reset_EmptiesPositionsCountersAndSpare) {
    CRingBuffer ring = Sized(16);
    Put(ring, "ab\ncd");
    ring.Spare() = "text";
    ring.Reset();
    EXPECT_FALSE(ring.HasData());
    EXPECT_EQ(ring.LineCount(), 0);
    EXPECT_EQ(ring.Spare(), "");
    EXPECT_EQ(ring.FreeSpace(), 15);
    Put(ring, "x\n");
    EXPECT_EQ(ring.GetLine(), "x");
}

TEST(RingBufferTest, SetupConstructor_ReadsBufferSize) {
    RecordingUi ui;
    const std::vector<std::string> lines{"BufferSize=32000", "KeepAlive=0"};
    CSetupFile setup(lines, ui);
    CRingBuffer ring(setup);
    EXPECT_EQ(ring.Size(), 32000);
    EXPECT_EQ(ring.FreeSpace(), 31999);
    EXPECT_EQ(setup.GetInt("KeepAlive"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(RingBufferTest, SetupConstructor_WrongKeyIsReportedAndItsValueUsed) {
    RecordingUi ui;
    const std::vector<std::string> lines{"KeepAlive=5"};
    CSetupFile setup(lines, ui);
    CRingBuffer ring(setup);
    EXPECT_EQ(ring.Size(), 5);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "INI file error, missing line for: BufferSize\nGot instead: KeepAlive\n");
}

TEST(RingBufferTest, Save_WritesBufferSizeLine) {
    std::string written;
    CSetupFile setup([&](std::string_view line) { written += line; });
    CRingBuffer ring = Sized(4096);
    ring.Save(setup);
    EXPECT_EQ(written, "BufferSize=4096\n");
}
