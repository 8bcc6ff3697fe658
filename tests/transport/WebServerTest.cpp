#include "transport/WebServer.h"

#include "EventSpin.h"
#include "transport/WriteQueue.h"

#include <QTcpSocket>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

TEST_F(WebServerTest, Handshake_AcceptKeyThenPingPongedAndCloseEchoed) {
    const std::string upgrade =
        "GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    auto client = Client();
    client->write(upgrade.c_str());
    const std::string accepted = "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                                 "Connection: Upgrade\r\n"
                                 "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n";
    EXPECT_EQ(ReadBytes(*client, accepted.size()), accepted);
    // Ping "He", masked; then a close with code 1000.
    client->write(QByteArray("\x89\x82\x37\xfa\x21\x3d\x7f\x9f", 8));
    EXPECT_EQ(ReadBytes(*client, 4), std::string("\x8a\x02He", 4));
    client->write(QByteArray("\x88\x82\0\0\0\0\x03\xe8", 8));
    EXPECT_EQ(ReadBytes(*client, 4), std::string("\x88\x02\x03\xe8", 4));
    EXPECT_TRUE(Closed(*client));
    EXPECT_EQ(server.Streams(), 0);

    // Another protocol version is told the one spoken; a head without a
    // key is refused.
    auto old = Client();
    std::string version8 = upgrade;
    version8.replace(version8.find("Version: 13"), 11, "Version: 8");
    old->write(version8.c_str());
    const std::string tellVersion =
        "HTTP/1.1 426 Upgrade Required\r\nContent-Type: application/json\r\nContent-Length: "
        "44\r\nSec-WebSocket-Version: 13\r\nConnection: close\r\n\r\n{\"error\":\"WebSocket "
        "version 13 is expected\"}";
    EXPECT_EQ(ReadBytes(*old, tellVersion.size()), tellVersion);
    auto keyless = Client();
    keyless->write("GET /ws HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                   "Sec-WebSocket-Version: 13\r\n\r\n");
    const std::string refused =
        "HTTP/1.1 400 Bad Request\r\nContent-Type: application/json\r\nContent-Length: "
        "43\r\nConnection: close\r\n\r\n{\"error\":\"a WebSocket upgrade is expected\"}";
    EXPECT_EQ(ReadBytes(*keyless, refused.size()), refused);
    EXPECT_EQ(server.Streams(), 0);
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

// Non-blocking loopback sockets that say nothing or half a head; closed
// when the set goes.
class RawClients {
  public:
    ~RawClients() {
        for (const int fd : fds) {
            ::close(fd);
        }
    }

    void Open(std::uint16_t port, int count) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ASSERT_GE(fd, 0) << errno;
            fds.push_back(fd);
            const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            ASSERT_TRUE(rc == 0 || errno == EINPROGRESS) << errno;
        }
    }

    // True when the server has closed the socket: end of stream or a reset.
    static bool ClosedByPeer(int fd) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) != 1) {
            return false;
        }
        char byte = 0;
        const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK);
        return got == 0 || (got < 0 && errno != EAGAIN);
    }

    std::vector<int> fds;
};

// Past the cap the newest connections are closed at once; those held cost
// a bounded read buffer each, go after the head timeout, and meanwhile the
// loop serves a request that comes whole.
TEST_F(WebServerTest, HalfOpenFlood_CappedLoopServesAndAllGoAfterTimeout) {
    constexpr int Extra = 100;
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 2 * (CWebServer::MaxConnections + Extra) + 100) {
        GTEST_SKIP() << "descriptor limit " << files.rlim_cur << " too low";
    }
    server.SetHeadTimeout(1500ms);
    ASSERT_TRUE(server.Open(QHostAddress::LocalHost, 0));
    auto good = Client();
    ASSERT_TRUE(SpinUntil([&] { return server.Connections() == 1; }));

    // In batches below the listen backlog, so that no SYN waits for a retry.
    RawClients held;
    RawClients extra;
    constexpr int Batch = 40;
    while (static_cast<int>(held.fds.size()) < CWebServer::MaxConnections - 1) {
        const int n = std::min<int>(Batch, CWebServer::MaxConnections - 1 -
                                               static_cast<int>(held.fds.size()));
        held.Open(server.LocalPort(), n);
        const int want = 1 + static_cast<int>(held.fds.size());
        ASSERT_TRUE(SpinUntil([&] { return server.Connections() == want; }));
    }
    for (std::size_t i = 0; i < held.fds.size(); i += 2) {
        ASSERT_EQ(::send(held.fds[i], "GET /health HTTP/1.1\r\nHo", 25, MSG_NOSIGNAL), 25);
    }
    for (int done = 0; done < Extra; done += Batch) {
        const std::size_t from = extra.fds.size();
        extra.Open(server.LocalPort(), std::min(Batch, Extra - done));
        ASSERT_TRUE(SpinUntil([&] {
            return std::all_of(extra.fds.begin() + static_cast<std::ptrdiff_t>(from),
                               extra.fds.end(), RawClients::ClosedByPeer);
        }));
    }
    EXPECT_EQ(server.Connections(), CWebServer::MaxConnections);

    good->write("GET /health HTTP/1.1\r\n\r\n");
    const std::string health =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 13\r\n\r\n/health local";
    EXPECT_EQ(ReadBytes(*good, health.size()), health);

    EXPECT_TRUE(SpinUntil([&] { return server.Connections() == 0; }));
    EXPECT_TRUE(std::all_of(held.fds.begin(), held.fds.end(), RawClients::ClosedByPeer));
    auto after = Client();
    after->write("GET /health HTTP/1.1\r\n\r\n");
    EXPECT_EQ(ReadBytes(*after, health.size()), health);
}

} // namespace
