#include "transport/RxNetHandler.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "platform/CommandIds.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "spots/RouterOptions.h"
#include "support/RecordingPortView.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

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

    CRxNetHandler& MakePort(const std::string& hostName, int portNumber, const std::string& script,
                            const std::string& keys = "", const std::string& placement = "") {
        const std::string section = SetupText::Common("RXTEL", 32000, script) + placement +
                                    "HostName=" + hostName +
                                    "\nPortNumber=" + std::to_string(portNumber) + "\n" + keys;
        const std::vector<std::string> lines = SetupText::Lines(section);
        CSetupFile setup(lines, host.ui);
        port = std::make_unique<CRxNetHandler>(setup, host, view);
        host.Add(*port);
        return *port;
    }

    // A listening port with a Cluster User router that ends lines with LF.
    CRxNetHandler& ListeningPort(const std::string& script, const std::string& keys = "") {
        CRxNetHandler& rx = MakePort(listenHost.toString().toStdString(), listenPort, script, keys);
        UserRouter(rx);
        rx.Connect();
        return rx;
    }

    static void UserRouter(CRxNetHandler& rx) {
        rx.CreateRouter(
            "Cluster User",
            RouterSetup{.options = {.MyCall = "N0CALL", .AntiLoopPrefix = " <", .CRLFOption = 2}},
            false);
    }

    // A station calling the port.
    std::unique_ptr<QTcpSocket> Call() {
        auto station = std::make_unique<QTcpSocket>();
        station->connectToHost(listenHost, listenPort);
        return station;
    }

    // The station reads as little as the kernel lets it.
    static void NeverRead(QTcpSocket& station) {
        station.setReadBufferSize(1024);
        station.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    }

    std::string Listening() const {
        return "RXTEL: Listening on 127.0.0.1:" + std::to_string(listenPort) + "\n";
    }
    static std::string Caller(quint16 stationPort, const char* what) {
        return "RXTEL: 127.0.0.1:" + std::to_string(stationPort) + " " + what + "\n";
    }

    const std::string NoScript = SetupText::Script({}, 0, 60);
    const quint16 listenPort = FreePort();
    QHostAddress listenHost = QHostAddress(QHostAddress::LocalHost);

    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CRxNetHandler> port;
};

TEST_F(RxNetHandlerTest, Listening_ConnectedWithoutLineAndWritesDroppedUntilSomeoneCalls) {
    CRxNetHandler& rx = ListeningPort(NoScript);

    EXPECT_TRUE(rx.IsConnected());
    EXPECT_EQ(rx.State(), LinkState::Connected);
    EXPECT_FALSE(rx.HasCaller());
    EXPECT_EQ(view.Text(), Listening());
    rx.SendLine("DX de K1ABC:     14025.0  W1AW         dropped              1200Z");
    EXPECT_EQ(view.Text(), Listening());

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
    EXPECT_EQ(view.Text(),
              Listening() + Caller(station->localPort(), "connected") + "  \x01N0CALL\r\n");
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

TEST_F(RxNetHandlerTest, LastCallerHangsUp_PortListensOnWithoutAutomaticReconnect) {
    CRxNetHandler& rx = ListeningPort(SetupText::Script({}, 0, 60));
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    const quint16 stationPort = station->localPort();

    station->disconnectFromHost();
    ASSERT_TRUE(SpinUntil([&] { return !rx.HasCaller(); }));

    EXPECT_TRUE(rx.IsConnected());
    EXPECT_EQ(view.Text(),
              Listening() + Caller(stationPort, "connected") + Caller(stationPort, "disconnected"));
    EXPECT_TRUE(host.commands.empty());
    auto again = Call();
    EXPECT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
}

TEST_F(RxNetHandlerTest, EveryInterface_Ipv6AnyTakesIpv4CallerToo) {
    listenHost = QHostAddress(QHostAddress::AnyIPv6);
    CRxNetHandler& rx = ListeningPort(NoScript);
    QTcpSocket station;
    station.connectToHost(QHostAddress::LocalHost, listenPort);

    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    EXPECT_EQ(view.Text(), "RXTEL: Listening on [::]:" + std::to_string(listenPort) + "\n" +
                               Caller(station.localPort(), "connected"));
}

TEST_F(RxNetHandlerTest, AddressInUse_WritesBindErrorAndStaysDisconnected) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, listenPort));
    CRxNetHandler& rx = MakePort("127.0.0.1", listenPort, NoScript);

    rx.Connect();

    EXPECT_EQ(view.Text(), "RXTEL: Error binding socket to host address 127.0.0.1:" +
                               std::to_string(listenPort) + ": Address already in use\n");
    EXPECT_FALSE(rx.IsConnected());
    EXPECT_EQ(rx.State(), LinkState::Disconnected);
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(RxNetHandlerTest, UnresolvableHostName_WritesHostAddressError) {
    CRxNetHandler& rx = MakePort("no-such-host.invalid", listenPort, NoScript);

    rx.Connect();
    ASSERT_TRUE(SpinUntil([&] { return !view.Text().empty(); }, 10000));

    EXPECT_EQ(view.Text(), "RXTEL: Error getting host address from name no-such-host.invalid: no "
                           "address found for this name\n");
    EXPECT_FALSE(rx.IsConnected());
}

TEST_F(RxNetHandlerTest, Disconnect_StopsListeningAndClosesCaller) {
    CRxNetHandler& rx = ListeningPort(NoScript);
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));

    view.ClearText();
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

TEST_F(RxNetHandlerTest, SetupNewPort_ShowsRxtelDefaultsOnTheUnprivilegedPort7300) {
    port = std::make_unique<CRxNetHandler>(host, view);
    host.Add(*port);

    ASSERT_TRUE(port->SetupNewPort());

    const PortSetupValues& shown = host.ui.portDialogsShown.at(0);
    EXPECT_EQ(shown.kind, "RXTEL");
    EXPECT_EQ(shown.name, "RXTEL");
    EXPECT_EQ(shown.dataType, "Cluster User");
    EXPECT_EQ(shown.kindFields, (CNetPort::Fields{{"HostName", "127.0.0.1"},
                                                  {"PortNumber", "7300"},
                                                  {"MaxCallers", "1"},
                                                  {"Backlog", "0"},
                                                  {"LoginTimeout", "60"}}));
    EXPECT_EQ(port->PortName, "RXTEL");
    EXPECT_EQ(port->HostName, "127.0.0.1");
    EXPECT_EQ(port->PortNumber, 7300);
}

TEST_F(RxNetHandlerTest, TwoCallers_EachLogsInAloneAndInputArrivesAsWholeLines) {
    CRxNetHandler& rx = ListeningPort(SetupText::Script({{"", "login:"}, {"G4", "Welcome"}}, 0, 60),
                                      "MaxCallers=2\n");
    auto a = Call();
    auto b = Call();
    EXPECT_EQ(ReadBytes(*a, 7), "login:\n");
    EXPECT_EQ(ReadBytes(*b, 7), "login:\n");
    rx.SendLine("before anyone logged in");

    a->write("G4ABC\r\n");
    EXPECT_EQ(ReadBytes(*a, 8), "Welcome\n");
    rx.SendLine("for the first only");
    EXPECT_EQ(ReadBytes(*a, 19), "for the first only\n");
    b->write("G4XYZ\r\n");
    EXPECT_EQ(ReadBytes(*b, 8), "Welcome\n");

    // The second caller's half line is held while the first's whole line
    // is taken in.
    b->write("DX de G4XYZ:     14025.0  W1AW");
    ASSERT_TRUE(SpinUntil([&] { return b->bytesToWrite() == 0; }));
    ServePendingEvents();
    a->write("DX de G4ABC:      7005.0  K1ABC\r\n");
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 1; }));
    b->write("         second half\r\n");
    rx.SendLine("for both");
    EXPECT_EQ(ReadBytes(*a, 9), "for both\n");
    EXPECT_EQ(ReadBytes(*b, 9), "for both\n");

    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 2; }));
    EXPECT_EQ(host.lines,
              (std::vector<std::string>{"DX de G4ABC:      7005.0  K1ABC",
                                        "DX de G4XYZ:     14025.0  W1AW         second half"}));
    EXPECT_EQ(rx.Callers(), 2);
}

// One caller at a time (text taken chunk by chunk) and several (whole lines).
class RxNetLoginTest : public RxNetHandlerTest,
                       public ::testing::WithParamInterface<const char*> {};

TEST_P(RxNetLoginTest, BeforeLogin_TextGoesToScriptOnlyAndRefusedLinesAreCounted) {
    ListeningPort(SetupText::Script({{"", "login:"}, {"G4", "Welcome"}}, 0, 60), GetParam());
    auto station = Call();
    EXPECT_EQ(ReadBytes(*station, 7), "login:\n");

    station->write("DX de G4ABC:     14025.0  W1AW         not logged in        1200Z\r\n"
                   "PC11^14025.0^W1AW^8-Dec-2026^1200Z^x^G4ABC^N0DE^H9^~\r\n");
    station->write("G4ABC\r\n");
    EXPECT_EQ(ReadBytes(*station, 8), "Welcome\n");
    station->write("DX de G4ABC:      7005.0  K1ABC        logged in            1201Z\r\n");

    ASSERT_TRUE(SpinUntil([&] { return !host.lines.empty(); }));
    EXPECT_EQ(host.lines,
              (std::vector<std::string>{
                  "DX de G4ABC:      7005.0  K1ABC        logged in            1201Z"}));
    EXPECT_NE(view.Text().find(
                  Caller(station->localPort(), "logged in; 3 lines sent before login not routed")),
              std::string::npos);
    EXPECT_NE(view.Text().find("not logged in        1200Z"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Callers, RxNetLoginTest, ::testing::Values("", "MaxCallers=3\n"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "OneCaller" : "ThreeCallers");
                         });

TEST_F(RxNetHandlerTest, LoginTimeout_ClosesSilentCallerButNeverOneThatLoggedIn) {
    CRxNetHandler& rx = ListeningPort(SetupText::Script({{"", "login:"}, {"G4", "Welcome"}}, 0, 60),
                                      "MaxCallers=3\nLoginTimeout=30\n");
    auto listener = Call();
    EXPECT_EQ(ReadBytes(*listener, 7), "login:\n");
    listener->write("G4ABC\r\n");
    EXPECT_EQ(ReadBytes(*listener, 8), "Welcome\n");
    auto silent = Call();
    EXPECT_EQ(ReadBytes(*silent, 7), "login:\n");
    silent->write("half a call");
    const quint16 silentPort = silent->localPort();

    host.clock.seconds += 30;
    ASSERT_TRUE(SpinUntil([&] { return silent->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_NE(view.Text().find(
                  Caller(silentPort, "disconnected: no login within 30 s; 1 line sent before login "
                                     "not routed")),
              std::string::npos);
    // Another silent caller closed an hour later shows that the time limit
    // was looked at again.
    auto late = Call();
    EXPECT_EQ(ReadBytes(*late, 7), "login:\n");
    host.clock.seconds += 3600;
    ASSERT_TRUE(SpinUntil([&] { return late->state() == QAbstractSocket::UnconnectedState; }));

    EXPECT_EQ(listener->state(), QAbstractSocket::ConnectedState);
    rx.SendLine("still served");
    EXPECT_EQ(ReadBytes(*listener, 13), "still served\n");
}

TEST_F(RxNetHandlerTest, KeepAlive_SilentCallerDroppedAloneWhileTheOtherStays) {
    CRxNetHandler& rx = MakePort("127.0.0.1", listenPort, NoScript, "MaxCallers=2\n");
    UserRouter(rx);
    rx.KeepAlive().Set(1, host.clock);
    rx.Connect();
    auto talker = Call();
    auto silent = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.Callers() == 2; }));
    const quint16 silentPort = silent->localPort();

    host.clock.seconds += 60;
    EXPECT_EQ(ReadBytes(*talker, 1), "\n");
    EXPECT_EQ(ReadBytes(*silent, 1), "\n");
    talker->write("DX de G4ABC:      7005.0  K1ABC\r\n");
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 1; }));
    host.clock.seconds += 60;

    ASSERT_TRUE(SpinUntil([&] { return rx.Callers() == 1; }));
    EXPECT_EQ(ReadBytes(*talker, 1), "\n");
    EXPECT_TRUE(SpinUntil([&] { return silent->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_NE(view.Text().find(Caller(silentPort, "disconnected: Port Timeout")),
              std::string::npos);
    EXPECT_TRUE(rx.IsConnected());
}

TEST_F(RxNetHandlerTest, LateCaller_GetsBacklogOldestFirstThenLiveLines) {
    CRxNetHandler& rx = ListeningPort(NoScript, "MaxCallers=2\nBacklog=3\n");
    for (int i = 1; i <= 5; ++i) {
        rx.SendLine("DX de K1ABC:     14025.0  W1AW         spot " + std::to_string(i));
    }

    auto late = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    rx.SendLine("live");

    EXPECT_EQ(ReadBytes(*late, 5 + 3 * 46), "DX de K1ABC:     14025.0  W1AW         spot 3\n"
                                            "DX de K1ABC:     14025.0  W1AW         spot 4\n"
                                            "DX de K1ABC:     14025.0  W1AW         spot 5\n"
                                            "live\n");
}

TEST_F(RxNetHandlerTest, SingleCallerStopsReading_ClosedOnceAndPortListensOn) {
    CRxNetHandler& rx = ListeningPort(NoScript);
    auto station = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.HasCaller(); }));
    NeverRead(*station);
    const quint16 stationPort = station->localPort();
    view.ClearText();
    const std::string line = std::string(998, 's') + "\r\n";

    // The kernel's send buffer grows to tcp_wmem's largest size (4 MB by
    // default) before anything waits in the caller's own queue.
    std::size_t mostQueued = 0;
    for (int i = 0; i < 12000 && rx.HasCaller(); ++i) {
        rx.Write(line.data(), static_cast<int>(line.size()));
        ServePendingEvents();
        mostQueued = std::max(mostQueued, rx.QueuedBytes());
    }

    EXPECT_EQ(view.Text(), Caller(stationPort, "disconnected: output queue full"));
    EXPECT_TRUE(rx.IsConnected());
    // The port's queue is its callers' (what /metrics reports).
    EXPECT_GT(mostQueued, 0u);
}

// A station as a plain socket, made before descriptors run out.
struct RawStation {
    RawStation() : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~RawStation() { ::close(fd); }
    bool Call(quint16 port) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }
    // Reads what has come; true once the server has closed.
    bool Closed() {
        char chunk[256];
        ssize_t n = 0;
        while ((n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT)) > 0) {
            heard.append(chunk, static_cast<std::size_t>(n));
        }
        return n == 0;
    }
    int fd;
    std::string heard;
};

TEST_F(RxNetHandlerTest, OutOfDescriptors_SaidOnceExcessRefusedAcceptingResumes) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "without free descriptors the sanitizer runtime cannot read the module "
                    "list its own type checks need; the normal build runs this test";
#endif
    CRxNetHandler& rx = ListeningPort(NoScript, "MaxCallers=8\n");
    std::vector<std::unique_ptr<RawStation>> stations;
    for (int i = 0; i < 6; ++i) {
        stations.push_back(std::make_unique<RawStation>());
    }
    const auto open = std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                    std::filesystem::directory_iterator{});
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit low = saved;
    // Room for a few callers.
    low.rlim_cur = static_cast<rlim_t>(open + 1);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    for (const auto& station : stations) {
        EXPECT_TRUE(station->Call(listenPort));
    }
    // Each station is either a caller or refused; none hangs.
    const bool refused = SpinUntil([&] {
        const auto closed = std::count_if(stations.begin(), stations.end(),
                                          [](const auto& s) { return s->Closed(); });
        return closed > 0 && rx.Callers() + closed == 6;
    });
    const int callers = rx.Callers();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(refused) << view.Text();

    const std::string said = "RXTEL: out of file descriptors: ";
    const std::string text = view.Text();
    ASSERT_NE(text.find(said), std::string::npos) << text;
    EXPECT_EQ(text.find(said, text.find(said) + 1), std::string::npos) << text;
    EXPECT_NE(text.find(" open, limit " + std::to_string(low.rlim_cur) + "\n"), std::string::npos)
        << text;
    EXPECT_NE(host.ui.mainView.Text().find(said), std::string::npos);
    for (const auto& station : stations) {
        if (station->Closed()) {
            EXPECT_EQ(station->heard, "Sorry, no connection can be taken now, try again later\r\n");
        }
    }
    // With descriptors to spare again, the next caller is taken.
    RawStation late;
    ASSERT_TRUE(late.Call(listenPort));
    EXPECT_TRUE(SpinUntil([&] { return rx.Callers() == callers + 1; }));
}

TEST_F(RxNetHandlerTest, HostileCallers_OnlyTheyAreAffected) {
    CRxNetHandler& rx = ListeningPort(NoScript, "MaxCallers=3\n");
    auto longLine = Call();
    auto iacFlood = Call();
    auto good = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.Callers() == 3; }));
    // Answers to its requests pile up in its queue until it is closed.
    NeverRead(*iacFlood);
    const quint16 floodPort = iacFlood->localPort();

    longLine->write(std::string(10 * 1024 * 1024, 'a').c_str());
    longLine->write("\r\nDX de K1ABC:     14025.0  W1AW         after the long line\r\n");
    std::string requests;
    for (int i = 0; i < 3 * 1000 * 1000; ++i) {
        requests += "\xff\xfd\x01";
    }
    iacFlood->write(requests.data(), static_cast<qint64>(requests.size()));
    good->write("DX de G4ABC:      7005.0  K1ABC\r\n");

    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() == 2 && rx.Callers() == 2; }, 20000));

    std::sort(host.lines.begin(), host.lines.end());
    EXPECT_EQ(host.lines, (std::vector<std::string>{
                              "DX de G4ABC:      7005.0  K1ABC",
                              "DX de K1ABC:     14025.0  W1AW         after the long line"}));
    EXPECT_NE(view.Text().find(Caller(floodPort, "disconnected: output queue full")),
              std::string::npos);
    EXPECT_TRUE(rx.IsConnected());
}

// Port sections as they load and save.
const std::string Placement =
    "showCmd=1\nptMinPosition.x=-1\nptMinPosition.y=-1\nptMaxPosition.x=-1\n"
    "ptMaxPosition.y=-1\nrcNormalPosition.left=0\nrcNormalPosition.top=0\n"
    "rcNormalPosition.right=0\nrcNormalPosition.bottom=0\n";

struct SavedKeys {
    const char* name;
    std::string read;
    std::string saved;
    std::string messages;
};

class RxNetSetupTest : public RxNetHandlerTest, public ::testing::WithParamInterface<SavedKeys> {};

TEST_P(RxNetSetupTest, KeysAfterPortNumber_SavedOnlyWhenNotDefault) {
    const std::string section = SetupText::Common("RXTEL", 32000, NoScript) + Placement +
                                "HostName=0.0.0.0\nPortNumber=7300\n";
    CRxNetHandler& rx = MakePort("0.0.0.0", 7300, NoScript, GetParam().read, Placement);
    std::string saved;
    CSetupFile writer([&](std::string_view line) { saved.append(line); });

    rx.Save(writer);

    EXPECT_EQ(saved, "PortType=RXTEL\n" + section + GetParam().saved);
    EXPECT_EQ(view.Text(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RxNetSetupTest,
    ::testing::Values(SavedKeys{"WithoutKeys", "", "", ""},
                      SavedKeys{"EightCallersBacklog100", "MaxCallers=8\nBacklog=100\n",
                                "MaxCallers=8\nBacklog=100\n", ""},
                      SavedKeys{"BacklogAlone", "Backlog=5\n", "Backlog=5\n", ""},
                      SavedKeys{"DefaultsWrittenOut", "MaxCallers=1\nBacklog=0\n", "", ""},
                      SavedKeys{"OutOfRange", "MaxCallers=100\nBacklog=-1\n", "MaxCallers=64\n",
                                "RXTEL: MaxCallers 100 is out of range, using 64\n"
                                "RXTEL: Backlog -1 is out of range, using 0\n"},
                      SavedKeys{"LoginTimeoutAfterBacklog", "Backlog=5\nLoginTimeout=30\n",
                                "Backlog=5\nLoginTimeout=30\n", ""},
                      SavedKeys{"LoginTimeoutDefault", "LoginTimeout=60\n", "", ""},
                      SavedKeys{"NotNumbersNamedAsWritten",
                                "MaxCallers=x\nBacklog=5y\nLoginTimeout=\n", "",
                                "RXTEL: MaxCallers \"x\" is not a number, using 1\n"
                                "RXTEL: Backlog \"5y\" is not a number, using 0\n"
                                "RXTEL: LoginTimeout \"\" is not a number, using 60\n"}),
    [](const ::testing::TestParamInfo<SavedKeys>& info) { return info.param.name; });

// A feed fanned out to many callers, on IPv4 and IPv6 loopback.
class RxNetFanOutTest : public RxNetHandlerTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(RxNetFanOutTest, EightCallersGetEveryLineWhileOneThatNeverReadsIsClosedAlone) {
    listenHost = QHostAddress(QString::fromLatin1(GetParam()));
    CRxNetHandler& rx = ListeningPort(NoScript, "MaxCallers=9\n");
    std::vector<std::unique_ptr<QTcpSocket>> readers;
    for (int i = 0; i < 8; ++i) {
        readers.push_back(Call());
    }
    auto deaf = Call();
    ASSERT_TRUE(SpinUntil([&] { return rx.Callers() == 9; }));
    NeverRead(*deaf);
    auto tenth = Call();
    EXPECT_EQ(ReadBytes(*tenth, 37), "Sorry, all 9 connections are in use\r\n");
    EXPECT_TRUE(SpinUntil([&] { return tenth->state() == QAbstractSocket::UnconnectedState; }));

    std::vector<std::string> got(readers.size());
    std::string sent;
    const std::string filler(400, '.');
    // Twice what the deaf caller's kernel send buffer can grow to.
    for (int line = 0; line < 20000;) {
        for (const int end = line + 250; line < end; ++line) {
            const std::string text = "DX de K1ABC: " + std::to_string(line) + filler;
            rx.SendLine(text);
            sent += text + "\n";
        }
        ASSERT_TRUE(SpinUntil([&] {
            bool all = true;
            for (std::size_t i = 0; i < readers.size(); ++i) {
                got[i] += readers[i]->readAll().toStdString();
                all = all && got[i].size() == sent.size();
            }
            return all;
        }));
    }

    for (std::size_t i = 0; i < readers.size(); ++i) {
        EXPECT_TRUE(got[i] == sent) << "caller " << i;
    }
    EXPECT_EQ(rx.Callers(), 8);
    EXPECT_NE(view.Text().find(" disconnected: output queue full\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Loopback, RxNetFanOutTest, ::testing::Values("127.0.0.1", "::1"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "IPv4" : "IPv6");
                         });

} // namespace
