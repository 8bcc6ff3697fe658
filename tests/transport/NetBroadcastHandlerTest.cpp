#include "transport/NetBroadcastHandler.h"
#include "transport/HostResolver.h"
#include "transport/LocalNetwork.h"

#include "EventSpin.h"
#include "NetNamespacePair.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"
#include "support/RecordingPortView.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr auto Shared = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;

quint16 FreeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

// Waits for the next datagram on a socket; an empty one when none came.
QNetworkDatagram NextDatagram(QUdpSocket& socket) {
    if (!SpinUntil([&] { return socket.hasPendingDatagrams(); })) {
        return QNetworkDatagram();
    }
    return socket.receiveDatagram();
}

std::string Text(const QNetworkDatagram& datagram) {
    return datagram.data().toStdString();
}

// A CT network station: one port, its view and the lines it took.
struct Station {
    Station(const std::string& myIp, const std::string& broadcastIp, int portNumber,
            int bufferSize = 32000) {
        const std::string section =
            SetupText::Common("CTE", bufferSize, SetupText::Script({}, 0, 60)) + "MyIP=" + myIp +
            "\nBroadcastIP=" + broadcastIp + "\nPortNumber=" + std::to_string(portNumber) + "\n";
        const std::vector<std::string> lines = SetupText::Lines(section);
        CSetupFile setup(lines, host.ui);
        port = std::make_unique<CNetBroadcastHandler>(setup, host, view);
        host.Add(*port);
    }
    ~Station() { host.Forget(*port); }

    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CNetBroadcastHandler> port;
};

// Loopback stands in for the CT network: the station is 127.0.0.1, the
// broadcast address 127.255.255.255, and other stations send from other
// loopback addresses.
class NetBroadcastHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(listener.bind(QHostAddress::AnyIPv4, portNumber, Shared));
        ASSERT_TRUE(other.bind(QHostAddress("127.0.0.7"), 0));
    }

    // Another station broadcasts one datagram.
    void Broadcast(const std::string& text) {
        other.writeDatagram(text.data(), static_cast<qint64>(text.size()),
                            QHostAddress("127.255.255.255"), portNumber);
    }

    const quint16 portNumber = FreeUdpPort();
    QUdpSocket listener; // another program on this machine sharing the port
    QUdpSocket other;    // the other station's sending socket
};

TEST_F(NetBroadcastHandlerTest, Connect_CompletesBeforeReturning) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber);

    ct.port->Connect();

    EXPECT_TRUE(ct.port->IsConnected());
    EXPECT_FALSE(ct.port->IsStopped());
    EXPECT_EQ(ct.view.Text(), "CTE: Port connected\n");
    EXPECT_EQ(ct.host.dataRequests, 1) << "the empty first chunk";
}

TEST_F(NetBroadcastHandlerTest, Write_OneDatagramToBroadcastAddressAndOwnDatagramSkipped) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber);
    ct.port->Connect();
    const std::string packet =
        "B0DX de K1ABC:     14025.0  W1AW         CQ                   1200Z\x5a\n";

    ct.port->Write(packet.data(), static_cast<int>(packet.size()));
    const QNetworkDatagram sent = NextDatagram(listener);
    Broadcast("B0from seven\n");

    EXPECT_EQ(Text(sent), packet);
    EXPECT_EQ(sent.senderAddress(), QHostAddress("127.0.0.1"));
    EXPECT_EQ(sent.senderPort(), portNumber);
    ASSERT_TRUE(SpinUntil([&] { return !ct.host.lines.empty(); }));
    EXPECT_EQ(ct.host.lines, (std::vector<std::string>{"B0from seven"}));
    EXPECT_EQ(ct.view.Text(), "CTE: Port connected\nB0from seven\n");
}

TEST_F(NetBroadcastHandlerTest, EachDatagram_OneReceivedChunk) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber);
    ct.port->Connect();

    Broadcast("B0one\nB0two\n");
    Broadcast("B0three\n");
    ASSERT_TRUE(SpinUntil([&] { return ct.host.lines.size() == 3; }));

    EXPECT_EQ(ct.host.dataRequests, 3);
    EXPECT_EQ(ct.host.lines, (std::vector<std::string>{"B0one", "B0two", "B0three"}));
}

TEST_F(NetBroadcastHandlerTest, MyIpNotOfThisMachine_BindMessageAndStaysDisconnected) {
    Station foreign("192.0.2.100", "192.0.2.255", portNumber);
    Station named("localhost", "127.255.255.255", portNumber);

    foreign.port->Connect();
    named.port->Connect();

    EXPECT_EQ(foreign.view.Text(), "CTE: Failed to bind socket, err=99: Cannot assign requested "
                                   "address (192.0.2.100 is not an address of this machine)\n");
    EXPECT_FALSE(foreign.port->IsConnected());
    EXPECT_EQ(named.view.Text(), "CTE: Failed to bind socket, err=99: Cannot assign requested "
                                 "address (\"localhost\" is no IPv4 address)\n");
    EXPECT_FALSE(named.port->IsConnected());
}

TEST_F(NetBroadcastHandlerTest, TwoPorts_ShareTheUdpPortAndBothReceive) {
    Station first("127.0.0.1", "127.255.255.255", portNumber);
    Station second("127.0.0.1", "127.255.255.255", portNumber);

    first.port->Connect();
    second.port->Connect();
    Broadcast("B0shared\n");

    EXPECT_EQ(second.view.Text(), "CTE: Port connected\n");
    ASSERT_TRUE(SpinUntil([&] { return !first.host.lines.empty() && !second.host.lines.empty(); }));
    EXPECT_EQ(first.host.lines, (std::vector<std::string>{"B0shared"}));
    EXPECT_EQ(second.host.lines, (std::vector<std::string>{"B0shared"}));
    EXPECT_EQ(Text(NextDatagram(listener)), "B0shared\n");
}

TEST_F(NetBroadcastHandlerTest, DatagramLongerThanBufferSize_DroppedWithMessageAndNextReceived) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber, 64);
    ct.port->Connect();

    Broadcast(std::string(99, 'x') + "\n");
    Broadcast("B0next\n");
    ASSERT_TRUE(SpinUntil([&] { return !ct.host.lines.empty(); }));

    EXPECT_EQ(ct.host.lines, (std::vector<std::string>{"B0next"}));
    EXPECT_EQ(ct.view.Text(), "CTE: Port connected\n"
                              "CTE: Datagram of 100 bytes dropped, longer than BufferSize\n"
                              "B0next\n");
    EXPECT_TRUE(ct.port->IsConnected());
}

TEST_F(NetBroadcastHandlerTest, EmptyDatagram_IgnoredAndPortStaysUp) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber);
    ct.port->Connect();

    Broadcast("");
    Broadcast("B0after\n");
    ASSERT_TRUE(SpinUntil([&] { return !ct.host.lines.empty(); }));

    EXPECT_EQ(ct.host.lines, (std::vector<std::string>{"B0after"}));
    EXPECT_TRUE(ct.port->IsConnected());
}

TEST_F(NetBroadcastHandlerTest, Disconnect_WritesMessageAndWriteAfterwardsSendsNothing) {
    Station ct("127.0.0.1", "127.255.255.255", portNumber);
    ct.port->Connect();

    ct.port->Disconnect();
    ct.port->Write("B0lost\n", 7);
    ct.port->Connect();
    ct.port->Write("B0kept\n", 7);

    EXPECT_EQ(ct.view.Text(), "CTE: Port connected\nCTE: Port disconnected\nCTE: Port connected\n");
    EXPECT_EQ(Text(NextDatagram(listener)), "B0kept\n");
}

TEST_F(NetBroadcastHandlerTest, SetupSection_ReadInOrderAndSavedAsCte) {
    Station ct("10.0.0.100", "10.0.0.255", 75406);
    EXPECT_EQ(ct.port->MyIP, "10.0.0.100");
    EXPECT_EQ(ct.port->BroadcastIP, "10.0.0.255");
    EXPECT_EQ(ct.port->PortNumber, 9870) << "75406 modulo 65536";
    std::string saved;
    CSetupFile writer([&](std::string_view line) { saved.append(line); });

    ct.port->Save(writer);

    EXPECT_EQ(saved.substr(0, 13), "PortType=CTE\n");
    const std::string tail = "MyIP=10.0.0.100\nBroadcastIP=10.0.0.255\nPortNumber=9870\n";
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
}

TEST_F(NetBroadcastHandlerTest, SetupNewPort_ShowsCtNetworkDefaultsAndTakesTypedFields) {
    NetTestHost host;
    RecordingPortView view;
    CNetBroadcastHandler port(host, view);
    host.Add(port);
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {
            {"MyIP", "192.168.1.5"}, {"PortNumber", "9871"}, {"BroadcastIP", "192.168.1.255"}};
        v.addConsoleRoutes = false;
        return true;
    };

    ASSERT_TRUE(port.SetupNewPort());

    const PortSetupValues& shown = host.ui.portDialogsShown.at(0);
    EXPECT_EQ(shown.kind, "CTE");
    EXPECT_EQ(shown.name, "CTE");
    EXPECT_EQ(shown.dataType, "CT Network");
    // This machine's first network, else the example addresses.
    const auto network = LocalNetwork::FirstBroadcast().value_or(
        LocalNetwork::Broadcast{"10.0.0.100", "10.0.0.255"});
    EXPECT_EQ(shown.kindFields, (CNetPort::Fields{{"MyIP", network.address},
                                                  {"PortNumber", "9870"},
                                                  {"BroadcastIP", network.broadcast}}));
    EXPECT_TRUE(CHostResolver::Dotted(network.address).has_value());
    EXPECT_FALSE(CHostResolver::Dotted(network.address)->isLoopback());
    EXPECT_EQ(port.MyIP, "192.168.1.5");
    EXPECT_EQ(port.PortNumber, 9871);
    EXPECT_EQ(port.BroadcastIP, "192.168.1.255");
    ASSERT_NE(port.Router(), nullptr);
    EXPECT_EQ(port.Router()->InputType, "CT Network");
    host.Forget(port);
}

// Two hosts on a veth pair, each in its own network namespace; the traffic
// never leaves them.
TEST(NetBroadcastHandlerNamespaceTest, TwoHosts_BroadcastsReachTheOtherAndOwnAreSkipped) {
    NetNamespacePair net("10.0.0.100", "10.0.0.7");
    if (!net.Ok()) {
        GTEST_SKIP() << "network namespaces are not permitted here: " << net.Error();
    }
    ASSERT_TRUE(net.EnterB());
    QUdpSocket stationB;
    ASSERT_TRUE(stationB.bind(QHostAddress::AnyIPv4, 9870, Shared));
    ASSERT_TRUE(net.EnterA());
    Station ct("10.0.0.100", "10.0.0.255", 9870);

    ct.port->Connect();
    ASSERT_TRUE(ct.port->IsConnected()) << ct.view.Text();
    const std::string packet =
        "B0DX de K1ABC:     14025.0  W1AW         CQ                   1200Z\x5a\n";
    ct.port->Write(packet.data(), static_cast<int>(packet.size()));
    const QNetworkDatagram atB = NextDatagram(stationB);
    const std::string fromB =
        "B0DX de DL1XX:      7012.5  JA1ZZ        TNX                  1201Z\x41\n";
    stationB.writeDatagram(fromB.data(), static_cast<qint64>(fromB.size()),
                           QHostAddress("10.0.0.255"), 9870);
    ASSERT_TRUE(SpinUntil([&] { return !ct.host.lines.empty(); }));
    ct.port->Disconnect();
    ASSERT_TRUE(net.Leave());

    EXPECT_EQ(Text(atB), packet);
    EXPECT_EQ(atB.senderAddress(), QHostAddress("10.0.0.100"));
    EXPECT_EQ(atB.senderPort(), 9870);
    EXPECT_EQ(ct.host.lines, (std::vector<std::string>{fromB.substr(0, fromB.size() - 1)}));
    EXPECT_EQ(ct.host.dataRequests, 2) << "the empty first chunk and B's datagram";
}

} // namespace
