#include "transport/WebHandler.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "platform/CommandIds.h"
#include "setup/SetupFile.h"
#include "support/RecordingPortView.h"
#include "transport/PortFactory.h"

#include <QTcpSocket>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CPortHandler> Load(IPortHost& host, IPortView& view, const std::string& keys,
                                   const std::string& host_ = "127.0.0.1", int port = 0) {
    std::vector<std::string> lines = {"BufferSize=32000",  "KeepAlive=0",
                                      "PortName=WEB",      "IsTNCPort=0",
                                      "StreamSW=|",        "PortStreamID=A",
                                      "HostName=" + host_, "PortNumber=" + std::to_string(port)};
    std::istringstream in(keys);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    lines.emplace_back("InputType=10");
    CSetupFile setup(lines, host.Ui());
    CPortFactory factory;
    std::unique_ptr<CPortHandler> made = factory.CreateFromSetup("WEB", setup, host, view);
    EXPECT_TRUE(setup.IsNextKey("InputType"));
    return made;
}

struct KeyRow {
    const char* name;
    std::string read;
    std::string saved;
};

class WebHandlerSetupTest : public ::testing::TestWithParam<KeyRow> {};

TEST_P(WebHandlerSetupTest, KindKeys_LoadAndSaveAsWritten) {
    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CPortHandler> port = Load(host, view, GetParam().read, "0.0.0.0", 8073);
    ASSERT_NE(port, nullptr);
    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    port->SaveKindSettings(writer);
    EXPECT_EQ(saved, "HostName=0.0.0.0\nPortNumber=8073\n" + GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WebHandlerSetupTest,
    ::testing::Values(KeyRow{"WithoutOptionalKeys", "", ""},
                      KeyRow{"AllOptionalKeys",
                             "WebToken=s3cret\nWebPublicRead=1\nWebKeep=500,30\n",
                             "WebToken=s3cret\nWebPublicRead=1\nWebKeep=500,30\n"},
                      KeyRow{"DefaultsNotWritten", "WebPublicRead=0\nWebKeep=1000,60\n", ""},
                      KeyRow{"KeepClamped", "WebKeep=0,99999\n", "WebKeep=1,10080\n"},
                      KeyRow{"KeepUnreadableKept", "WebKeep=lots\n", ""}),
    [](const ::testing::TestParamInfo<KeyRow>& info) { return info.param.name; });

const std::string Spot20m =
    R"({"spotter":"DL1ABC","spotted":"K1ABC","frequency":14025.2,"message":"CW 24 dB 22 WPM CQ","when":"2026-12-08T22:59:00Z","mode":"CW","band":"20m"})";
const std::string Spot40m =
    R"({"spotter":"K1XYZ","spotted":"ZL7G","frequency":7005.5,"message":"599 in Maine","when":"2026-12-08T23:00:00Z","band":"40m"})";

// A running web port on a free loopback port, with the two spots above.
class WebHandlerTest : public ::testing::Test {
  protected:
    void Start(const std::string& keys = "") {
        port = Load(host, view, keys);
        ASSERT_NE(port, nullptr);
        host.Add(*port);
        port->Connect();
        ASSERT_TRUE(port->IsConnected()) << view.Text();
        web = static_cast<CWebHandler*>(port.get());
        port->SendText(Spot20m + "\n");
        port->SendText(Spot40m + "\n");
    }

    // The whole answer to one request sent with "Connection: close".
    std::string Ask(const std::string& target, const std::string& headers = "",
                    const std::string& method = "GET") {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, web->LocalPort());
        std::string answer;
        QObject::connect(&client, &QTcpSocket::readyRead,
                         [&] { answer += client.readAll().toStdString(); });
        client.write((method + " " + target + " HTTP/1.1\r\nHost: shack\r\n" + headers +
                      "Connection: close\r\n\r\n")
                         .c_str());
        EXPECT_TRUE(SpinUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
        return answer;
    }

    static std::string Json(int status, const std::string& tag, const std::string& body) {
        return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
               "\r\nContent-Type: application/json\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\nETag: \"" + tag +
               "\"\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n" + body;
    }

    NetTestHost host;
    RecordingPortView view;
    std::unique_ptr<CPortHandler> port;
    CWebHandler* web = nullptr;
};

TEST_F(WebHandlerTest, Spots_ArraysBandsOneSpotWithLiteralBodies) {
    Start();
    EXPECT_EQ(Ask("/spots"), Json(200, "2", "[" + Spot40m + "," + Spot20m + "]"));
    EXPECT_EQ(Ask("/spots/"), Json(200, "2", "[" + Spot40m + "," + Spot20m + "]"));
    EXPECT_EQ(Ask("/spots/20m"), Json(200, "2", "[" + Spot20m + "]"));
    EXPECT_EQ(Ask("/spots?mode=cw"), Json(200, "2", "[" + Spot20m + "]"));
    EXPECT_EQ(Ask("/spots?limit=1"), Json(200, "2", "[" + Spot40m + "]"));
    EXPECT_EQ(Ask("/spots?since=2026-12-08T23:00:00Z"), Json(200, "2", "[" + Spot40m + "]"));
    EXPECT_EQ(Ask("/spot/14025.0"), Json(200, "2", Spot20m));
    EXPECT_EQ(Ask("/spot/14026"), Json(404, "2", "{}"));
    EXPECT_EQ(Ask("/spots?limit=ten").substr(0, 24), "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(Ask("/spots/../setup.ini").substr(0, 22), "HTTP/1.1 404 Not Found");
}

TEST_F(WebHandlerTest, Spots_SameVersionAnswered304UntilASpotComes) {
    Start();
    EXPECT_EQ(Ask("/spots/20m", "If-None-Match: \"2\"\r\n"),
              "HTTP/1.1 304 Not Modified\r\nETag: \"2\"\r\nCache-Control: no-cache\r\n"
              "Connection: close\r\n\r\n");
    port->SendText(Spot20m + "\n");
    EXPECT_EQ(Ask("/spots/20m", "If-None-Match: \"2\"\r\n").substr(0, 15), "HTTP/1.1 200 OK");
}

TEST_F(WebHandlerTest, Store_KeepsNewestCountAndDropsOld) {
    Start("WebKeep=2,1\n");
    port->SendText(Spot20m + "\n");
    EXPECT_EQ(web->Store().Size(), 2U);
    host.clock.seconds += 61;
    EXPECT_EQ(Ask("/spots"), Json(200, "6", "[]"));
}

TEST_F(WebHandlerTest, HealthAndMetrics_LiteralTexts) {
    Start();
    host.clock.seconds += 42;
    EXPECT_EQ(Ask("/health"), "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                              "Content-Length: 37\r\nCache-Control: no-store\r\n"
                              "Connection: close\r\n\r\n"
                              "{\"status\":\"ok\",\"uptime\":42,\"spots\":2}");
    const std::string metrics = Ask("/metrics");
    for (const char* line :
         {"# TYPE spotweaver_lines_out_total counter\n"
          "spotweaver_lines_out_total{port=\"WEB\",kind=\"WEB\"} 2\n",
          "# TYPE spotweaver_callers gauge\nspotweaver_callers{port=\"WEB\",kind=\"WEB\"} 0\n",
          "spotweaver_connected{port=\"WEB\",kind=\"WEB\"} 1\n"}) {
        EXPECT_NE(metrics.find(line), std::string::npos) << line << metrics;
    }
}

TEST_F(WebHandlerTest, Ports_StateAndWindowLinesOfEveryPort) {
    Start();
    const std::string body =
        "[{\"name\":\"WEB\",\"kind\":\"WEB\",\"type\":\"\",\"connected\":true,\"callers\":0,"
        "\"linesIn\":0,\"linesOut\":2,\"passed\":0,\"filtered\":0,\"dupes\":0,\"merged\":0,"
        "\"queued\":0,\"lines\":[\"WEB: Listening on 127.0.0.1:" +
        std::to_string(web->LocalPort()) + "\"]}]";
    EXPECT_EQ(Ask("/ports"), "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                             "Content-Length: " +
                                 std::to_string(body.size()) +
                                 "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body);
}

TEST_F(WebHandlerTest, Token_WrongIs401ControlNeedsTokenOrLoopback) {
    Start("WebToken=s3cret\n");
    EXPECT_EQ(Ask("/spots").substr(0, 25), "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(Ask("/spots?token=wrong").substr(0, 25), "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(Ask("/spots?token=s3cret").substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(Ask("/spots", "Authorization: Bearer s3cret\r\n").substr(0, 15), "HTTP/1.1 200 OK");
    // From this machine without a token; through a proxy not.
    EXPECT_EQ(Ask("/ports/WEB/disconnect", "", "POST").substr(0, 23), "HTTP/1.1 204 No Content");
    EXPECT_EQ(Ask("/ports/WEB/connect", "X-Forwarded-For: 192.0.2.7\r\n", "POST").substr(0, 25),
              "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(Ask("/ports/NONE/connect", "", "POST").substr(0, 22), "HTTP/1.1 404 Not Found");
    ASSERT_EQ(host.commands.size(), 1U);
    EXPECT_EQ(host.commands[0].second, PortCommand::Disconnect);
}

TEST_F(WebHandlerTest, PublicRead_ReadsOpenWrongTokenStill401) {
    Start("WebToken=s3cret\nWebPublicRead=1\n");
    EXPECT_EQ(Ask("/spots/40m").substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(Ask("/spots/40m?token=guess").substr(0, 25), "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(Ask("/ports/WEB/connect", "Forwarded: for=192.0.2.7\r\n", "POST").substr(0, 25),
              "HTTP/1.1 401 Unauthorized");
}

TEST_F(WebHandlerTest, OtherAddressWithoutToken_StaysClosed) {
    port = Load(host, view, "", "0.0.0.0");
    port->Connect();
    EXPECT_FALSE(port->IsConnected());
    EXPECT_EQ(view.Text(), "WEB: Listening on 0.0.0.0 needs a WebToken; the port stays closed\n");
}

TEST_F(WebHandlerTest, Stream_RoutedSpotPushedAsOneMessage) {
    Start();
    QWebSocket client;
    std::vector<std::string> got;
    QObject::connect(&client, &QWebSocket::textMessageReceived,
                     [&](const QString& text) { got.push_back(text.toStdString()); });
    client.open(QUrl("ws://127.0.0.1:" + QString::number(web->LocalPort()) + "/ws"));
    ASSERT_TRUE(SpinUntil([&] { return port->Callers() == 1; }));
    port->SendText(Spot40m + "\n");
    ASSERT_TRUE(SpinUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got, std::vector<std::string>{Spot40m});
}

} // namespace
