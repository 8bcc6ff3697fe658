#include "transport/RxNetHandler.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "platform/CommandIds.h"
#include "port/PortSetupValues.h"
#include "routing/RouterOptions.h"
#include "setup/SetupFile.h"
#include "support/RecordingPortView.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace std::string_literals;
using LinkState = CSocketPort::LinkState;

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class RxNetHandlerTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (port) {
            host.Forget(*port);
            port.reset();
        }
    }

    CRxNetHandler& MakePort(const std::string& hostName, int portNumber,
                            const std::string& script) {
        const std::string section = SetupText::Common("RXTEL", 32000, script) +
                                    "HostName=" + hostName +
                                    "\nPortNumber=" + std::to_string(portNumber) + "\n";
        const std::vector<std::string> lines = SetupText::Lines(section);
        CSetupFile setup(lines, host.ui);
        port = std::make_unique<CRxNetHandler>(setup, host, view);
        host.Add(*port);
        return *port;
    }

    // A listening port with a Cluster User router that ends lines with LF.
    CRxNetHandler& ListeningPort(const std::string& script) {
        CRxNetHandler& rx = MakePort("127.0.0.1", listenPort, script);
        rx.CreateRouter(
            "Cluster User",
            RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 2}},
            false);
        rx.Connect();
        return rx;
    }

    // A station calling the port.
    std::unique_ptr<QTcpSocket> Call() {
        auto station = std::make_unique<QTcpSocket>();
        station->connectToHost(QHostAddress::LocalHost, listenPort);
        return station;
    }

    const std::string NoScript = SetupText::Script({}, 0, 60);
    const quint16 listenPort = FreePort();

    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CRxNetHandler> port;
};

TEST_F(RxNetHandlerTest, Listening_ConnectedWithoutLineAndWritesDroppedUntilSomeoneCalls) {
    CRxNetHandler& rx = ListeningPort(NoScript);

    EXPECT_TRUE(rx.IsConnected());
    EXPECT_EQ(rx.State(), LinkState::Connected);
    EXPECT_FALSE(rx.HasCaller());
    EXPECT_EQ(view.Text(), "");
    rx.SendLine("DX de K1ABC:     14025.0  W1AW         dropped              1200Z");
    EXPECT_EQ(view.Text(), "");

    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    rx.SendLine("DX de K1ABC:     14025.0  W1AW         sent                 1200Z");

    const std::string sent = "DX de K1ABC:     14025.0  W1AW         sent                 1200Z\n";
    EXPECT_EQ(ReadBytes(*station, sent.size()), sent);
}

TEST_F(RxNetHandlerTest, Caller_DoEchoRefusedAndTextReachesRing) {
    CRxNetHandler& rx = ListeningPort(NoScript);
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));

    station->write("\xff\xfd\x01N0CALL\r\n");

    EXPECT_EQ(ReadBytes(*station, 3), "\xff\xfc\x01"s);
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 1; }));
    EXPECT_EQ(host.lines[0], "  \x01N0CALL");
    EXPECT_EQ(view.Text(), "  \x01N0CALL\r\n");
}

TEST_F(RxNetHandlerTest, NewerCaller_ReplacesOlderWhichIsClosedAndScriptStartsOver) {
    CRxNetHandler& rx =
        ListeningPort(SetupText::Script({{"hello", "Please login"}, {"N0CALL", "Welcome"}}, 0, 60));
    auto first = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    first->write("hello");
    ASSERT_EQ(ReadBytes(*first, 13), "Please login\n");

    auto second = Call();
    ASSERT_TRUE(SpinUntil([&] { return first->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(rx.IsConnected());
    second->write("hello");
    EXPECT_EQ(ReadBytes(*second, 13), "Please login\n");

    rx.SendLine("DX de K1ABC:     14025.0  W1AW         for the newest       1200Z");
    const std::string sent = "DX de K1ABC:     14025.0  W1AW         for the newest       1200Z\n";
    EXPECT_EQ(ReadBytes(*second, sent.size()), sent);
    EXPECT_TRUE(rx.IsConnected());
}

TEST_F(RxNetHandlerTest, CallerHangsUp_WholePortDisconnectsAndArmedScriptPostsConnect) {
    CRxNetHandler& rx = ListeningPort(SetupText::Script({}, 1, 0));
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));

    station->disconnectFromHost();
    ASSERT_TRUE(SpinUntil([&] { return !rx.IsConnected(); }));

    EXPECT_EQ(view.Text(), "RXTEL: Port disconnected\n");
    EXPECT_EQ(rx.State(), LinkState::Disconnected);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].second, PortCommand::Connect);

    auto late = Call();
    ASSERT_TRUE(SpinUntil([&] { return late->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(late->error(), QAbstractSocket::ConnectionRefusedError);

    rx.Connect();
    auto again = Call();
    EXPECT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
}

TEST_F(RxNetHandlerTest, AddressInUse_WritesBindErrorAndStaysDisconnected) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, listenPort));
    CRxNetHandler& rx = MakePort("127.0.0.1", listenPort, NoScript);

    rx.Connect();

    EXPECT_EQ(view.Text(), "RXTEL: Error binding socket to host address\n");
    EXPECT_FALSE(rx.IsConnected());
    EXPECT_EQ(rx.State(), LinkState::Disconnected);
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(RxNetHandlerTest, UnresolvableHostName_WritesHostAddressError) {
    CRxNetHandler& rx = MakePort("no-such-host.invalid", listenPort, NoScript);

    rx.Connect();
    ASSERT_TRUE(SpinUntil([&] { return !view.Text().empty(); }, 10000));

    EXPECT_EQ(view.Text(), "RXTEL: Error getting host address from name\n");
    EXPECT_FALSE(rx.IsConnected());
}

TEST_F(RxNetHandlerTest, Disconnect_StopsListeningAndClosesCaller) {
    CRxNetHandler& rx = ListeningPort(NoScript);
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));

    rx.DisconnectManual();

    EXPECT_EQ(view.Text(), "RXTEL: Port disconnected\n");
    EXPECT_FALSE(rx.HasCaller());
    EXPECT_TRUE(SpinUntil([&] { return station->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(RxNetHandlerTest, SetupSection_ReadAndSavedAsRxtel) {
    CRxNetHandler& rx = MakePort("0.0.0.0", 7300, NoScript);
    std::string saved;
    CSetupFile writer([&](std::string_view line) { saved.append(line); });

    rx.Save(writer);

    EXPECT_EQ(saved.substr(0, 15), "PortType=RXTEL\n");
    const std::string tail = "HostName=0.0.0.0\nPortNumber=7300\n";
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
}

TEST_F(RxNetHandlerTest, SetupNewPort_ShowsRxtelDefaults) {
    port = std::make_unique<CRxNetHandler>(host, view);
    host.Add(*port);

    ASSERT_TRUE(port->SetupNewPort());

    const PortSetupValues& shown = host.ui.portDialogsShown.at(0);
    EXPECT_EQ(shown.kind, "RXTEL");
    EXPECT_EQ(shown.name, "RXTEL");
    EXPECT_EQ(shown.dataType, "Cluster User");
    EXPECT_EQ(shown.kindFields,
              (CNetPort::Fields{{"HostName", "127.0.0.1"}, {"PortNumber", "23"}}));
    EXPECT_EQ(port->PortName, "RXTEL");
    EXPECT_EQ(port->HostName, "127.0.0.1");
    EXPECT_EQ(port->PortNumber, 23);
}

} // namespace
