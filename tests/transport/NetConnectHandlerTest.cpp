#include "transport/NetConnectHandler.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "platform/CommandIds.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"
#include "spots/RouterOptions.h"
#include "support/FakeHostLookup.h"
#include "support/RecordingPortView.h"
#include "transport/HostResolver.h"

#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/ioctl.h>

#include <linux/sockios.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace std::string_literals;
using LinkState = CSocketPort::LinkState;

// A port number on which nothing listens.
quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class NetConnectHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(node.listen(QHostAddress::LocalHost, 0)); }

    void TearDown() override {
        if (port) {
            host.Forget(*port);
            port.reset();
        }
    }

    CNetConnectHandler& MakePort(const std::string& hostName, int portNumber,
                                 const std::string& script, int bufferSize = 32000) {
        const std::string section = SetupText::Common("TEL", bufferSize, script) +
                                    "HostName=" + hostName +
                                    "\nPortNumber=" + std::to_string(portNumber) + "\n";
        const std::vector<std::string> lines = SetupText::Lines(section);
        CSetupFile setup(lines, host.ui);
        port = std::make_unique<CNetConnectHandler>(setup, host, view);
        host.Add(*port);
        return *port;
    }

    CNetConnectHandler& MakeNodePort(const std::string& script) {
        return MakePort("127.0.0.1", node.serverPort(), script);
    }

    // The node's side of the port's connection.
    QTcpSocket* AcceptPeer() {
        if (!SpinUntil([&] { return node.hasPendingConnections(); })) {
            return nullptr;
        }
        return node.nextPendingConnection();
    }

    const std::string NoScript = SetupText::Script({}, 0, 60);

    NetTestHost host;
    RecordingPortView view;
    QTcpServer node;
    std::unique_ptr<CNetConnectHandler> port;
};

TEST_F(NetConnectHandlerTest, ClusterNode_TerminalTypeRefusedBeforeLoginAnsweredThenSpotsArrive) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({{"login:", "N0CALL"}}, 0, 60));
    tel.CreateRouter(
        "Cluster User",
        RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 2}},
        false);

    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    EXPECT_EQ(tel.State(), LinkState::Connected);
    EXPECT_EQ(view.Text(), "TEL: Port connected.\n");

    peer->write("\xff\xfd\x18Welcome to the node\r\nlogin: "s.data(), 32);
    EXPECT_EQ(ReadBytes(*peer, 10), "\xff\xfc\x18N0CALL\n"s);
    EXPECT_EQ(view.Text(), "TEL: Port connected.\n  \x18Welcome to the node\r\nlogin: "
                           "\nTEL: Script Send > N0CALL\n"s);

    peer->write("\r\nDX de K1ABC:     14025.0  W1AW         CQ                   1200Z\r\n"
                "DX de DL1XX:      7012.5  JA1ZZ        TNX QSO              1201Z\r\n");
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 4; }));
    EXPECT_EQ(host.lines[0], "  \x18Welcome to the node");
    EXPECT_EQ(host.lines[1], "login: ");
    EXPECT_EQ(host.lines[2], "DX de K1ABC:     14025.0  W1AW         CQ                   1200Z");
    EXPECT_EQ(host.lines[3], "DX de DL1XX:      7012.5  JA1ZZ        TNX QSO              1201Z");
}

TEST_F(NetConnectHandlerTest, RefusedPort_WritesConnectErrorAndArmedScriptPostsConnect) {
    const quint16 closed = ClosedPort();
    CNetConnectHandler& tel = MakePort("127.0.0.1", closed, SetupText::Script({}, 1, 0));

    tel.Connect();
    EXPECT_EQ(tel.State(), LinkState::Connecting);
    ASSERT_TRUE(SpinUntil([&] { return !view.Text().empty(); }));

    EXPECT_EQ(view.Text(), "TEL: Error connecting to host address 127.0.0.1:" +
                               std::to_string(closed) + ": Connection refused\n");
    EXPECT_EQ(tel.State(), LinkState::Disconnected);
    EXPECT_FALSE(tel.IsConnected());
    EXPECT_TRUE(tel.IsStopped());
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].first, &tel);
    EXPECT_EQ(host.commands[0].second, PortCommand::Connect);
}

TEST_F(NetConnectHandlerTest, UnresolvableName_WritesHostAddressErrorAndStaysDown) {
    CNetConnectHandler& tel = MakePort("no-such-host.invalid", 23, NoScript);

    tel.Connect();
    ASSERT_TRUE(SpinUntil([&] { return !view.Text().empty(); }, 10000));

    EXPECT_EQ(view.Text(), "TEL: Error getting host address from name no-such-host.invalid: no "
                           "address found for this name\n");
    EXPECT_EQ(tel.State(), LinkState::Disconnected);
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(NetConnectHandlerTest, HostNameLongerThan127_RefusedWithHostAddressError) {
    CNetConnectHandler& tel = MakePort(std::string(128, 'a'), 23, NoScript);

    tel.Connect();

    EXPECT_EQ(
        view.Text(),
        "TEL: Error getting host address from name: the name is longer than 127 characters\n");
    EXPECT_EQ(tel.State(), LinkState::Disconnected);
}

TEST_F(NetConnectHandlerTest, EmptyHostName_SaysNoHostNameGiven) {
    CNetConnectHandler& tel = MakePort("", 23, NoScript);

    tel.Connect();
    ASSERT_TRUE(SpinUntil([&] { return !view.Text().empty(); }));

    EXPECT_EQ(view.Text(), "TEL: Error getting host address from name: no host name given\n");
}

TEST_F(NetConnectHandlerTest, HostName_LookedUpAndFirstAddressConnected) {
    // The name goes to the system's resolver, which knows it only from
    // /etc/hosts (or a local name service); a minimal system may have neither.
    const QHostInfo known = QHostInfo::fromName("localhost");
    const QList<QHostAddress> addresses = known.addresses();
    const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    });
    if (ipv4 == addresses.end() || *ipv4 != QHostAddress(QHostAddress::LocalHost)) {
        GTEST_SKIP() << "the system's resolver does not give 127.0.0.1 for \"localhost\" ("
                     << (known.error() == QHostInfo::NoError ? "no such IPv4 address"
                                                             : known.errorString().toStdString())
                     << "); is /etc/hosts missing?";
    }
    CNetConnectHandler& tel = MakePort("localhost", node.serverPort(), NoScript);

    tel.Connect();

    ASSERT_NE(AcceptPeer(), nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    EXPECT_EQ(view.Text(), "TEL: Port connected.\n");
}

TEST_F(NetConnectHandlerTest, PeerClose_DisconnectsAfterDataAndReconnectsAfterAutoTime) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({}, 1, 1));
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));

    peer->write("73 de node\r\n");
    peer->disconnectFromHost();
    ASSERT_TRUE(SpinUntil([&] { return !tel.IsConnected(); }));

    EXPECT_EQ(view.Text(), "TEL: Port connected.\n73 de node\r\nTEL: Port disconnected\n");
    EXPECT_EQ(tel.State(), LinkState::Disconnected);
    EXPECT_TRUE(tel.IsReconnectWaiting());
    EXPECT_TRUE(host.commands.empty());
    ASSERT_TRUE(SpinUntil([&] { return !host.commands.empty(); }, 3000));
    EXPECT_EQ(host.commands[0].second, PortCommand::Connect);
    EXPECT_FALSE(tel.IsReconnectWaiting());
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 1; }));
    EXPECT_EQ(host.lines[0], "73 de node");

    tel.Connect();
    EXPECT_NE(AcceptPeer(), nullptr);
    EXPECT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
}

TEST_F(NetConnectHandlerTest, PeerCloseWhileLinesWait_PortStaysUpUntilTheyAreRouted) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    host.holdRequests = true;

    peer->write("DX de K1ABC: 14025.0 DL1XYZ\r\nlast spot\r\n");
    peer->disconnectFromHost();
    ASSERT_TRUE(SpinUntil([&] { return tel.RingBuffer().LineCount() == 4; }));
    ServePendingEvents();
    EXPECT_TRUE(tel.IsConnected()) << "lines still held would be lost";

    host.holdRequests = false;
    host.Drain(tel);
    EXPECT_FALSE(tel.IsConnected());
    EXPECT_EQ(host.lines, (std::vector<std::string>{"DX de K1ABC: 14025.0 DL1XYZ", "last spot"}));
    const std::string end = "TEL: Port disconnected\n";
    EXPECT_EQ(view.Text().substr(view.Text().size() - end.size()), end);
}

TEST_F(NetConnectHandlerTest, ConnectAndDisconnectWhileConnecting_DoNothingAndAttemptSucceeds) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);

    tel.Connect();
    tel.Connect();
    tel.Disconnect();
    EXPECT_EQ(tel.State(), LinkState::Connecting);

    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    ASSERT_NE(AcceptPeer(), nullptr);
    ServePendingEvents();
    EXPECT_FALSE(node.hasPendingConnections());
    EXPECT_EQ(view.Text(), "TEL: Port connected.\n");
}

TEST_F(NetConnectHandlerTest, EmptyPromptStep_AnsweredAsSoonAsLinkStands) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({{"", "SH/DX"}}, 0, 60));
    tel.CreateRouter(
        "Cluster User",
        RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 3}},
        false);

    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);

    EXPECT_EQ(ReadBytes(*peer, 7), "SH/DX\r\n");
}

TEST_F(NetConnectHandlerTest, ChunkWithNul_ViewShowsTextBeforeItRingGetsAll) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    view.ClearText();

    peer->write("abc\0def\n", 8);
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 2; }));

    EXPECT_EQ(view.Text(), "abc");
    EXPECT_EQ(host.lines[0], "abc");
    EXPECT_EQ(host.lines[1], "def");
}

// Numbered spot lines: "0000000 DX de K1ABC: ..." CR LF.
std::string NumberedLine(int i) {
    char line[80];
    std::snprintf(line, sizeof line,
                  "%07d DX de K1ABC:     14025.0  W1AW         CQ          1200Z", i);
    return line;
}

std::string NumberedBurst(int lines) {
    std::string burst;
    burst.reserve(static_cast<std::size_t>(lines) * 66);
    for (int i = 0; i < lines; ++i) {
        burst += NumberedLine(i);
        burst += "\r\n";
    }
    return burst;
}

// Checks that the lines taken are 0, 1, 2, ... without a gap.
struct SequenceCheck {
    explicit SequenceCheck(NetTestHost& host) {
        host.onLine = [this](std::string_view got) {
            if (got != NumberedLine(next) && wrong++ == 0) {
                firstWrong = got;
            }
            ++next;
            last = got.substr(0, 7);
        };
    }
    int next = 0;
    int wrong = 0;
    std::string firstWrong;
    std::string last;
};

TEST_F(NetConnectHandlerTest, FastPeer_TenMegabytesWithoutOneLineLost) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);
    constexpr int Lines = 160000;
    const std::string burst = NumberedBurst(Lines);
    ASSERT_GT(burst.size(), 10u * 1000 * 1000);
    SequenceCheck check(host);

    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    peer->write(burst.data(), static_cast<qint64>(burst.size()));

    ASSERT_TRUE(SpinUntil([&] { return check.last == "0159999"; }, 30000))
        << check.next << " lines taken";
    EXPECT_EQ(check.next, Lines);
    EXPECT_EQ(check.wrong, 0) << "first wrong line: " << check.firstWrong;
    EXPECT_TRUE(tel.IsConnected());
}

TEST_F(NetConnectHandlerTest, PeerClosesAfterBurst_EverythingDeliveredBeforeDisconnect) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);
    constexpr int Lines = 5000;
    SequenceCheck check(host);
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);

    const std::string burst = NumberedBurst(Lines);
    peer->write(burst.data(), static_cast<qint64>(burst.size()));
    peer->disconnectFromHost();

    ASSERT_TRUE(SpinUntil([&] { return !tel.IsConnected() && check.last == "0004999"; }, 10000))
        << check.next << " lines taken";
    EXPECT_EQ(check.next, Lines);
    EXPECT_EQ(check.wrong, 0) << "first wrong line: " << check.firstWrong;
    const std::string end = "TEL: Port disconnected\n";
    EXPECT_EQ(view.Text().substr(view.Text().size() - end.size()), end);
}

TEST_F(NetConnectHandlerTest, LineLongerThanRing_RingResetsAndStreamGoesOn) {
    CNetConnectHandler& tel = MakePort("127.0.0.1", node.serverPort(), NoScript, 16);
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);

    peer->write("0123456789ABCDEFGHIJKLMNOP\nshort\nlast\n");

    ASSERT_TRUE(SpinUntil([&] { return !host.lines.empty() && host.lines.back() == "last"; }));
    EXPECT_EQ(host.lines, (std::vector<std::string>{"GHIJKLMNOP", "short", "last"}));
}

TEST_F(NetConnectHandlerTest, PartnerStopsReading_LinesWaitThenOneResetAndReconnect) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({}, 1, 1));
    tel.Connect();
    QTcpSocket* peer = AcceptPeer();
    ASSERT_NE(peer, nullptr);
    // A partner that takes nothing: a tiny window, nothing read.
    peer->setReadBufferSize(1);
    peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1024);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    view.ClearText();
    const std::string line = std::string(998, 's') + "\r\n";

    int sent = 0;
    for (; sent < 4000 && tel.IsConnected(); ++sent) {
        tel.Write(line.data(), static_cast<int>(line.size()));
        ServePendingEvents();
    }

    EXPECT_GT(sent, 1000);
    const std::string text = view.Text();
    EXPECT_EQ(text.rfind("TEL: partner stopped reading: ", 0), 0u) << text;
    EXPECT_NE(text.find(" bytes waiting, reconnecting\nTEL: Port disconnected\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Socket Error"), std::string::npos);
    EXPECT_EQ(host.ui.mainView.Text().rfind("TEL: partner stopped reading: ", 0), 0u);
    EXPECT_TRUE(SpinUntil([&] { return !host.commands.empty(); }, 3000));
}

// The node's lines parsed back into their numbers, in arrival order.
std::vector<int> NumbersOf(const std::string& text) {
    std::vector<int> numbers;
    for (std::size_t pos = 0; pos + 7 <= text.size();) {
        numbers.push_back(std::stoi(text.substr(pos, 7)));
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            break;
        }
        pos = end + 1;
    }
    return numbers;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> numbers;
    for (int i = from; i < to; ++i) {
        numbers.push_back(i);
    }
    return numbers;
}

TEST_F(NetConnectHandlerTest, LinkReset_LinesRoutedMeanwhileFollowTheNextLoginOnceInOrder) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({{"login:", "N0CALL"}}, 1, 1));
    tel.CreateRouter(
        "Cluster User",
        RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 2}},
        false);
    const auto route = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const std::string line = NumberedLine(i) + "\n";
            tel.Write(line.data(), static_cast<int>(line.size()));
        }
    };
    tel.Connect();
    QTcpSocket* first = AcceptPeer();
    ASSERT_NE(first, nullptr);
    first->write("login: ");
    ASSERT_EQ(ReadBytes(*first, 7), "N0CALL\n");
    route(0, 3);
    const std::string got = ReadBytes(*first, 3 * 65);
    // A line of the node's own carries the acknowledgement of all it read.
    first->write("\r\nN0CALL de NODE >\r\n");
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 2; }));

    tel.Disconnect(); // as a keep-alive timeout does
    route(3, 6);
    ASSERT_TRUE(tel.Script().AutoReconnectArmed());
    tel.Connect();
    QTcpSocket* second = AcceptPeer();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    route(6, 7); // waits behind the held lines until the login is over
    ServePendingEvents();
    second->write("login: ");
    const std::string again = ReadBytes(*second, 7 + 4 * 65);
    route(7, 8);
    const std::string last = ReadBytes(*second, 65);

    EXPECT_EQ(NumbersOf(got), Range(0, 3));
    ASSERT_EQ(again.substr(0, 7), "N0CALL\n") << "the login comes before held lines";
    EXPECT_EQ(NumbersOf(again.substr(7)), Range(3, 7));
    EXPECT_EQ(NumbersOf(last), Range(7, 8));
    EXPECT_NE(view.Text().find("TEL: sending 4 held lines\n"), std::string::npos) << view.Text();
}

TEST_F(NetConnectHandlerTest, LinkResetWithLinesInFlight_WhatThePartnerLacksComesAgain) {
    CNetConnectHandler& tel = MakeNodePort(SetupText::Script({}, 1, 1));
    tel.Connect();
    QTcpSocket* first = AcceptPeer();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    // A partner that has stopped taking anything: what its kernel holds is
    // acknowledged, the rest waits unacknowledged on the port's side.
    first->setReadBufferSize(1);
    first->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1024);
    constexpr int Lines = 2000;
    constexpr std::size_t Length = 65;
    for (int i = 0; i < Lines; ++i) {
        const std::string line = NumberedLine(i) + "\n";
        tel.Write(line.data(), static_cast<int>(line.size()));
    }
    ServePendingEvents();

    tel.Disconnect();
    int queued = 0;
    ASSERT_EQ(::ioctl(static_cast<int>(first->socketDescriptor()), SIOCINQ, &queued), 0);
    const std::size_t delivered =
        static_cast<std::size_t>(queued) + static_cast<std::size_t>(first->bytesAvailable());
    first->abort();
    tel.Connect();
    QTcpSocket* second = AcceptPeer();
    ASSERT_NE(second, nullptr);
    const int firstLacking = static_cast<int>(delivered / Length);
    const std::string again = ReadBytes(*second, (Lines - firstLacking) * Length);

    ASSERT_LT(firstLacking, Lines / 2);
    EXPECT_EQ(NumbersOf(again), Range(firstLacking, Lines))
        << "lines from the one the partner has in part on, each once";
}

TEST_F(NetConnectHandlerTest, WriteWhenDisconnected_DoesNothing) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);

    tel.Write("hello\n", 6);

    EXPECT_EQ(view.Text(), "");
    EXPECT_EQ(tel.State(), LinkState::Created);
}

TEST_F(NetConnectHandlerTest, SetupSection_ReadsHostAndPortModulo65536AndSavesThem) {
    CNetConnectHandler& tel = MakePort("dxc.example.net", 65559, NoScript);
    EXPECT_EQ(tel.HostName, "dxc.example.net");
    EXPECT_EQ(tel.PortNumber, 23);

    std::string saved;
    CSetupFile writer([&](std::string_view line) { saved.append(line); });
    tel.Save(writer);

    EXPECT_EQ(saved.substr(0, 13), "PortType=TEL\n");
    const std::string tail = "HostName=dxc.example.net\nPortNumber=23\n";
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
}

TEST_F(NetConnectHandlerTest, SetupNewPort_ShowsDefaultsAndTakesTypedFields) {
    port = std::make_unique<CNetConnectHandler>(host, view);
    host.Add(*port);
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"HostName", "dxc.example.net"}, {"PortNumber", "7300"}};
        v.addConsoleRoutes = false;
        return true;
    };

    ASSERT_TRUE(port->SetupNewPort());

    ASSERT_EQ(host.ui.portDialogsShown.size(), 1u);
    const PortSetupValues& shown = host.ui.portDialogsShown[0];
    EXPECT_EQ(shown.kind, "TEL");
    EXPECT_EQ(shown.mode, PortSetupMode::NewPort);
    EXPECT_EQ(shown.name, "TEL");
    EXPECT_EQ(shown.dataType, "Cluster User");
    EXPECT_EQ(shown.kindFields,
              (CNetPort::Fields{{"HostName", "127.0.0.1"}, {"PortNumber", "23"}}));
    EXPECT_EQ(port->PortName, "TEL");
    EXPECT_EQ(port->HostName, "dxc.example.net");
    EXPECT_EQ(port->PortNumber, 7300);
    ASSERT_NE(port->Router(), nullptr);
    EXPECT_EQ(port->Router()->InputType, "Cluster User");
}

TEST_F(NetConnectHandlerTest, EditSetup_TakesHostFieldsOnlyWhileDisconnected) {
    CNetConnectHandler& tel = MakeNodePort(NoScript);
    tel.CreateRouter(
        "Cluster User",
        RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 2}},
        false);
    const quint16 nodePort = node.serverPort();
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"HostName", "10.1.2.3"}, {"PortNumber", "8000"}};
        return true;
    };
    tel.Connect();
    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));

    ASSERT_TRUE(tel.EditSetup());
    EXPECT_EQ(host.ui.portDialogsShown.back().mode, PortSetupMode::ConnectedEdit);
    EXPECT_EQ(tel.HostName, "127.0.0.1");
    EXPECT_EQ(tel.PortNumber, nodePort);

    tel.DisconnectManual();
    ASSERT_TRUE(tel.EditSetup());
    EXPECT_EQ(host.ui.portDialogsShown.back().mode, PortSetupMode::DisconnectedEdit);
    EXPECT_EQ(tel.HostName, "10.1.2.3");
    EXPECT_EQ(tel.PortNumber, 8000);
}

// A node on IPv6 loopback, reached by literal or by a name from the look-up.
struct Ipv6Host {
    const char* name;
    std::string hostName;
};

class NetConnectIpv6Test : public NetConnectHandlerTest,
                           public ::testing::WithParamInterface<Ipv6Host> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(node6.listen(QHostAddress::LocalHostIPv6, 0));
        lookup.names = {{"v6only.test", {"::1"}}, {"both.test", {"127.0.0.1", "::1"}}};
        CHostResolver::UseLookup(&lookup);
    }
    void TearDown() override {
        CHostResolver::UseLookup(nullptr);
        NetConnectHandlerTest::TearDown();
    }

    QTcpServer node6;
    FakeHostLookup lookup{host.loop};
};

TEST_P(NetConnectIpv6Test, ReachesNodeOnIpv6Loopback) {
    CNetConnectHandler& tel = MakePort(GetParam().hostName, node6.serverPort(), NoScript);

    tel.Connect();

    ASSERT_TRUE(SpinUntil([&] { return tel.IsConnected(); }));
    EXPECT_EQ(view.Text(), "TEL: Port connected.\n");
    ASSERT_TRUE(SpinUntil([&] { return node6.hasPendingConnections(); }));
    EXPECT_EQ(node6.nextPendingConnection()->peerAddress(),
              QHostAddress(QHostAddress::LocalHostIPv6));
}

INSTANTIATE_TEST_SUITE_P(Hosts, NetConnectIpv6Test,
                         ::testing::Values(Ipv6Host{"Literal", "::1"},
                                           Ipv6Host{"NameWithOnlyIpv6", "v6only.test"},
                                           Ipv6Host{"FirstAddressRefused", "both.test"}),
                         [](const ::testing::TestParamInfo<Ipv6Host>& info) {
                             return info.param.name;
                         });

} // namespace
