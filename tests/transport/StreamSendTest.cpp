#include "transport/StreamSend.h"

#include "EventSpin.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <poll.h>

namespace {

// A connected pair on loopback: the program's end and the station's.
class StreamSendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        ours.connectToHost(QHostAddress::LocalHost, server.serverPort());
        ASSERT_TRUE(SpinUntil([&] { return server.hasPendingConnections(); }));
        station.reset(server.nextPendingConnection());
        ASSERT_TRUE(SpinUntil([&] { return ours.state() == QAbstractSocket::ConnectedState; }));
    }

    QTcpServer server;
    QTcpSocket ours;
    std::unique_ptr<QTcpSocket> station;
};

TEST_F(StreamSendTest, QtHoldsNothing_FrameLeavesBeforeTheLoopTurns) {
    const std::string frame = "PC11^14025.0^K1ABC^9-Dec-2026^1200Z^CQ^W1AW^INET^H99^~\r\n";
    CStreamSend::LowDelay(ours);

    ASSERT_EQ(CStreamSend::Write(ours, frame.data(), static_cast<qint64>(frame.size())),
              static_cast<qint64>(frame.size()));

    EXPECT_EQ(ours.bytesToWrite(), 0);
    pollfd readable{static_cast<int>(station->socketDescriptor()), POLLIN, 0};
    EXPECT_EQ(::poll(&readable, 1, 5000), 1);
    EXPECT_EQ(ReadBytes(*station, frame.size()), frame);
}

TEST_F(StreamSendTest, KernelFull_RestAndLaterBytesWaitInQtAndArriveInOrder) {
    // More than loopback's send and receive buffers hold while nobody reads.
    std::string first(24 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < first.size(); ++i) {
        first[i] = static_cast<char>('a' + i % 26);
    }
    const std::string second =
        "DX de W1AW:      14025.0  K1ABC        CQ                  1200Z\r\n";

    ASSERT_EQ(CStreamSend::Write(ours, first.data(), static_cast<qint64>(first.size())),
              static_cast<qint64>(first.size()));
    ASSERT_GT(ours.bytesToWrite(), 0);
    ASSERT_EQ(CStreamSend::Write(ours, second.data(), static_cast<qint64>(second.size())),
              static_cast<qint64>(second.size()));

    const std::string got = ReadBytes(*station, first.size() + second.size(), 20000);
    ASSERT_EQ(got.size(), first.size() + second.size());
    EXPECT_TRUE(got.compare(0, first.size(), first) == 0);
    EXPECT_EQ(got.substr(first.size()), second);
}

} // namespace
