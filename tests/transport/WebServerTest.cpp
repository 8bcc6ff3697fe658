#include "transport/WebServer.h"

#include "EventSpin.h"
#include "transport/WriteQueue.h"

#include <QTcpSocket>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A server whose answer names the path, with /ws opening a stream.
class WebServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.SetHeadTimeout(300ms);
        ASSERT_TRUE(server.Open(QHostAddress::LocalHost, 0));
    }

    std::unique_ptr<QTcpSocket> Client() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, server.LocalPort());
        EXPECT_TRUE(SpinUntil([&] { return client->state() == QAbstractSocket::ConnectedState; }));
        return client;
    }

    std::unique_ptr<QWebSocket> Stream() {
        auto stream = std::make_unique<QWebSocket>();
        QObject::connect(stream.get(), &QWebSocket::textMessageReceived,
                         [this, s = stream.get()](const QString& text) {
                             received[s].push_back(text.toStdString());
                         });
        stream->open(QUrl("ws://127.0.0.1:" + QString::number(server.LocalPort()) + "/ws"));
        const int before = server.Streams();
        EXPECT_TRUE(SpinUntil([&] { return server.Streams() == before + 1; }));
        return stream;
    }

    static bool Closed(QTcpSocket& client) {
        return SpinUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; });
    }

    std::vector<std::string> lines;
    std::map<QWebSocket*, std::vector<std::string>> received;
    CWebServer server{[](const HttpRequest& request, bool loopback, HttpResponse& response) {
                          if (request.path == "/ws") {
                              response.status = 101;
                              return;
                          }
                          response.Set(200, request.path + (loopback ? " local" : ""),
                                       "text/plain");
                      },
                      [this](std::string_view line) { lines.emplace_back(line); }};
};

TEST_F(WebServerTest, KeepAlive_PipelinedRequestsAnsweredInOrder) {
    auto client = Client();
    client->write("GET /a HTTP/1.1\r\n\r\nGET /bb HTTP/1.1\r\n\r\n");
    const std::string a =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 8\r\n\r\n/a local";
    const std::string b =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\n/bb local";
    EXPECT_EQ(ReadBytes(*client, a.size() + b.size()), a + b);
}

TEST_F(WebServerTest, HugeHeaderOrRequestLine_413AndClosed) {
    for (const std::string& start :
         {std::string("GET / HTTP/1.1\r\nX-Big: "), std::string("GET /")}) {
        auto client = Client();
        const std::string filler(64 * 1024, 'a');
        for (int i = 0; i < 16 && client->state() == QAbstractSocket::ConnectedState; ++i) {
            client->write(i == 0 ? (start + filler).c_str() : filler.c_str());
            ServePendingEvents();
        }
        const std::string answer = ReadBytes(*client, 30);
        EXPECT_EQ(answer.substr(0, 30), "HTTP/1.1 413 Content Too Large") << start;
        EXPECT_TRUE(Closed(*client));
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(WebServerTest, SlowSender_CutOffAfterHeadTimeout) {
    auto client = Client();
    client->write("GET /spots HTTP/1.1\r\nHo");
    EXPECT_TRUE(Closed(*client));
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(WebServerTest, Streams_EachPushIsOneMessageToEveryStream) {
    auto one = Stream();
    auto two = Stream();
    server.Push("{\"spotted\":\"K1ABC\"}");
    ASSERT_TRUE(SpinUntil(
        [&] { return received[one.get()].size() == 1 && received[two.get()].size() == 1; }));
    EXPECT_EQ(received[one.get()][0], "{\"spotted\":\"K1ABC\"}");
    EXPECT_EQ(received[two.get()][0], "{\"spotted\":\"K1ABC\"}");
}

TEST_F(WebServerTest, StreamThatDoesNotRead_ClosedAtCapOthersGetAll) {
    auto reader = Stream();
    // The upgrade by hand, then never a read: the kernel's buffers fill and
    // the server's queue grows to the cap.
    auto idle = Client();
    idle->write("GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    ASSERT_TRUE(SpinUntil([&] { return server.Streams() == 2; }));
    idle->setReadBufferSize(1);
    const std::string spot(1000, 'x');
    int pushed = 0;
    while (server.Streams() == 2 && pushed < 64000) {
        server.Push(spot);
        ++pushed;
        if (pushed % 100 == 0) {
            ServePendingEvents();
        }
    }
    EXPECT_EQ(server.Streams(), 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" closed: its queue reached "), std::string::npos) << lines.back();
    ASSERT_TRUE(SpinUntil([&] { return static_cast<int>(received[reader.get()].size()) == pushed; },
                          20000));
}

TEST_F(WebServerTest, InvalidFrame_ClosesThatStreamOnly) {
    auto bad = Client();
    bad->write("GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    ASSERT_TRUE(SpinUntil([&] { return server.Streams() == 1; }));
    // Unmasked, reserved opcode, and a length of 2^63.
    bad->write(QByteArray("\x83\x7f\x80\x00\x00\x00\x00\x00\x00\x00", 10));
    EXPECT_TRUE(SpinUntil([&] { return server.Streams() == 0; }));
    auto good = Stream();
    server.Push("{}");
    EXPECT_TRUE(SpinUntil([&] { return received[good.get()].size() == 1; }));
}

} // namespace
