#include "transport/WsjtxListener.h"

#include "EventSpin.h"
#include "WsjtxSender.h"
#include "support/RecordingWsjtxOutput.h"
#include "support/SettableClock.h"

#include <QNetworkInterface>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr quint32 At1308 = (13 * 3600 + 8 * 60 + 45) * 1000;

class WsjtxListenerTest : public ::testing::Test {
  protected:
    bool WaitForDatagrams(std::uint64_t n) {
        return SpinUntil([&] { return listener.Datagrams() >= n; });
    }

    WsjtxOptions options;
    SettableClock clock;
    RecordingWsjtxOutput output{clock};
    CWsjtxSpotMaker maker{options, clock, output};
    CWsjtxListener listener{maker, output};
    const QHostAddress loopback{QHostAddress::LocalHost};
};

TEST_F(WsjtxListenerTest, Datagrams_TwoClientsOnTwoBandsBecomeSpots) {
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    const quint16 port = listener.LocalPort();
    WsjtxSender radio1("WSJT-X - radio 1");
    WsjtxSender radio2("WSJT-X - radio 2", 3);
    radio1.Send(radio1.Heartbeat("2.6.1"), loopback, port);
    radio2.Send(radio2.Heartbeat("2.7.0"), loopback, port);
    radio1.Send(radio1.Status(14074000, "FT8", "G4ABC", "IO91"), loopback, port);
    radio2.Send(radio2.Status(7074000, "FT8", "G4ABC", "IO91"), loopback, port);
    radio1.Send(radio1.Decode(At1308, -12, 1234, "CQ DX K1ABC FN42"), loopback, port);
    radio2.Send(radio2.Decode(At1308, -7, 600, "CQ K1ABC FN42"), loopback, port);
    radio2.Send(radio2.Decode(At1308, -20, 900, "CQ POTA W1AW FN31", true), loopback, port);
    radio1.Send(radio1.Clear(), loopback, port);
    radio1.Send(radio1.Close(), loopback, port);
    ASSERT_TRUE(WaitForDatagrams(9));

    EXPECT_EQ(output.spots,
              (std::vector<std::string>{
                  "DX de G4ABC-#:   14075.2  K1ABC        FT8 -12 dB FN42 CQ DX          1308Z",
                  "DX de G4ABC-#:    7074.6  K1ABC        FT8 -7 dB FN42 CQ              1308Z"}));
    EXPECT_EQ(output.lines,
              (std::vector<std::string>{"Listening on 127.0.0.1:" + std::to_string(port),
                                        "WSJT-X - radio 1 (2.6.1), 14.074 MHz FT8, DE G4ABC IO91",
                                        "WSJT-X - radio 2 (2.7.0), 7.074 MHz FT8, DE G4ABC IO91",
                                        "WSJT-X - radio 1 closed"}));
    EXPECT_EQ(maker.GetCounts().NotSpotted, 1U); // the low-confidence one
}

TEST_F(WsjtxListenerTest, Datagrams_EmptyAndLargestAreCountedAndDropped) {
    ASSERT_TRUE(listener.Open("127.0.0.1", 0));
    WsjtxSender client("WSJT-X");
    QUdpSocket& socket = client.Socket();
    socket.writeDatagram(QByteArray(), loopback, listener.LocalPort());
    socket.writeDatagram(QByteArray(65507, 'x'), loopback, listener.LocalPort());
    client.Send(client.Heartbeat("2.6.1"), loopback, listener.LocalPort());
    ASSERT_TRUE(WaitForDatagrams(3));
    EXPECT_EQ(maker.GetCounts().Refused, 2U);
    EXPECT_EQ(maker.ClientCount(), 1U);
}

TEST_F(WsjtxListenerTest, Open_FailureNamesHostPortAndReason) {
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(loopback, 0));
    const std::string port = std::to_string(holder.localPort());

    EXPECT_FALSE(listener.Open("127.0.0.1", holder.localPort()));
    EXPECT_FALSE(listener.Open("radio.local", 2237));
    EXPECT_FALSE(listener.IsOpen());
    EXPECT_EQ(output.lines,
              (std::vector<std::string>{
                  "Cannot listen on 127.0.0.1:" + port + ": The bound address is already in use",
                  "Cannot listen on radio.local:2237: HostName must be an IP address of this "
                  "machine or a multicast group"}));
}

// The decoders' multicast choice: the group on the loopback interface,
// shared with another listener of the same group and port.
TEST_F(WsjtxListenerTest, Multicast_GroupIsJoinedAndShared) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, 0,
                           QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
    const quint16 port = other.localPort();
    ASSERT_TRUE(listener.Open("224.0.0.1", port));

    WsjtxSender client("WSJT-X");
    client.Socket().bind(QHostAddress::AnyIPv4, 0);
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        if (nic.flags() & QNetworkInterface::IsLoopBack) {
            client.Socket().setMulticastInterface(nic);
        }
    }
    ASSERT_TRUE(client.Send(client.Heartbeat("2.6.1"), QHostAddress("224.0.0.1"), port));
    ASSERT_TRUE(WaitForDatagrams(1));
    EXPECT_EQ(maker.ClientCount(), 1U);
    EXPECT_TRUE(SpinUntil([&] { return other.hasPendingDatagrams(); }));
}

} // namespace
