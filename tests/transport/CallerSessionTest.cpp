#include "transport/CallerSession.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "setup/SetupFile.h"
#include "support/RecordingPortView.h"
#include "transport/RxNetHandler.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct StallRow {
    const char* name;
    std::string sent; // what the caller sends; the ring holds 16 bytes
};

// Callers of a server port that takes several at once, so each caller's
// input goes into the ring a whole line at a time.
class CallerSessionTest : public ::testing::TestWithParam<StallRow> {
  protected:
    void SetUp() override {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        listenPort = probe.serverPort();
        probe.close();
        const std::vector<std::string> lines = SetupText::Lines(
            SetupText::Common("RXTEL", 16, SetupText::Script({}, 0, 60)) +
            "HostName=127.0.0.1\nPortNumber=" + std::to_string(listenPort) + "\nMaxCallers=2\n");
        CSetupFile setup(lines, host.ui);
        port = std::make_unique<CRxNetHandler>(setup, host, view);
        host.Add(*port);
        port->Connect();
    }
    void TearDown() override {
        host.Forget(*port);
        port.reset();
    }

    quint16 listenPort = 0;
    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CRxNetHandler> port;
};

TEST_P(CallerSessionTest, LineOfTheBufferSize_DroppedAndTheCallerReadOn) {
    QTcpSocket station;
    station.connectToHost(QHostAddress::LocalHost, listenPort);
    ASSERT_TRUE(SpinUntil([&] { return port->HasCaller(); }));

    station.write((GetParam().sent + "G4ABC\r\n").c_str());

    ASSERT_TRUE(SpinUntil([&] { return !host.lines.empty(); }));
    EXPECT_EQ(host.lines, std::vector<std::string>{"G4ABC"});
}

INSTANTIATE_TEST_SUITE_P(Lines, CallerSessionTest,
                         ::testing::Values(StallRow{"WithItsLineEnd", "DX de K1ABC:  \r\n"},
                                           StallRow{"BeforeItsLineEnd", "DX de K1ABC:    \r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
