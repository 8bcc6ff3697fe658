#pragma once

#include "transport/HttpRequest.h"
#include "transport/HttpResponse.h"

#include <QHostAddress>
#include <QObject>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;

// The HTTP and WebSocket server of the web port, on the program's event
// loop.
//
// Each connection's request heads are read with HttpRequest (peeked, and
// taken only once whole) and answered by the answerer; keep-alive connections are served in turn.
// The server guards the loop and the memory: a head must come whole within HeadTimeout (else the
// connection is closed), at most MaxHead bytes are read before a head ends (413), at most
// MaxConnections sockets are open (the newest beyond are closed at once), and an answer or a pushed
// spot that would leave more than the shared write-queue cap unread by its client closes that
// client, so the others lose nothing.
//
// An answer with status 101 opens a stream once the upgrade's head holds a
// valid key (else 400, or 426 for another protocol version): the server
// answers the handshake and the connection carries WebSocket frames from
// then on. Every Push goes to every stream as one text message. Pushes are
// gathered for PushDelay and their frames encoded once, since a server's
// frames are unmasked and so the same for every stream; each stream then
// gets the batch in one socket write, straight to the kernel while nothing
// waits for that stream (a write queue holds only what the kernel does not
// take). With hundreds of streams the writes, not the spots, are the cost,
// and so is anything the event loop does per stream on each turn: a
// stream's descriptor leaves Qt, the streams are read through one epoll set
// that the loop watches as one descriptor, and a stream has a write notifier
// only while bytes wait for it. Streams get a ping every PingInterval so that proxies keep
// idle ones open; a client's ping gets its pong, its close is answered and
// the stream ends; an invalid or oversized frame closes that stream alone.
//
// Collaborators: the answerer (the web port's endpoints), the output (lines
// for the port window).
class CWebServer {
  public:
    static constexpr int MaxConnections = 1000;
    static constexpr std::chrono::milliseconds DefaultHeadTimeout{10000};
    static constexpr std::chrono::milliseconds PingInterval{5000};
    // Long enough that a stream gets a handful of spots a write at 1,000
    // spots a second, short enough that a push still arrives well within
    // 50 ms on a busy machine.
    static constexpr std::chrono::milliseconds PushDelay{20};
    static constexpr std::size_t MaxWaiting = 64 * 1024;

    using Answerer =
        std::function<void(const HttpRequest& request, bool loopback, HttpResponse& response)>;
    using Output = std::function<void(std::string_view line)>;

    CWebServer(Answerer answerer, Output output);
    ~CWebServer();
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    // Listens; false, with a line naming host:port and the reason, when it
    // cannot. Port 0 takes a free port (tests).
    bool Open(const QHostAddress& address, std::uint16_t port);
    void Close();
    bool IsOpen() const { return m_server != nullptr; }
    std::uint16_t LocalPort() const;
    void SetHeadTimeout(std::chrono::milliseconds timeout) { m_headTimeout = timeout; }

    // One text message to every stream, within PushDelay.
    void Push(std::string_view text);
    int Streams() const;
    int Connections() const { return static_cast<int>(m_connections.size()); }
    // Bytes written to clients that they have not taken yet.
    std::size_t QueuedBytes() const;

  private:
    struct Connection {
        QTcpSocket* socket;
        std::chrono::steady_clock::time_point deadline;
    };

    void Accept();
    void Serve(QTcpSocket* socket);
    // Writes the answer; false when the connection was closed for it.
    bool Answer(QTcpSocket* socket, const HttpResponse& response, bool withBody);
    void Linger(QTcpSocket* socket);
    struct Stream;

    // Answers the upgrade and takes the connection's descriptor from Qt.
    void OpenStream(QTcpSocket* socket, const HttpRequest& request, HttpResponse& response);
    void ReadStreams();
    void ReadFrames(Stream& stream);
    // Writes bytes to a stream; false when it was dropped for them.
    bool Send(Stream& stream, std::string_view bytes);
    // Says why and marks the stream for Reap.
    void Drop(Stream& stream, const std::string& why);
    void EndStream(Stream& stream, const std::string& closeFrame);
    // Closes the streams dropped; never from inside a stream's write queue.
    void Reap();
    void SendWaiting();
    void Forget(QTcpSocket* socket);
    void Sweep();
    void Ping();
    Connection* Find(QTcpSocket* socket);

    Answerer m_answerer;
    Output m_output;
    QObject m_context;
    QTcpServer* m_server = nullptr;
    std::unique_ptr<QTimer> m_sweep;
    std::unique_ptr<QTimer> m_ping;
    std::unique_ptr<QTimer> m_pushTimer;
    // The frames of the pushes gathered so far.
    std::string m_waiting;
    std::vector<Connection> m_connections;
    std::vector<std::unique_ptr<Stream>> m_streams;
    int m_epoll = -1;
    std::unique_ptr<QSocketNotifier> m_streamReader;
    std::chrono::milliseconds m_headTimeout = DefaultHeadTimeout;
    bool m_refusalSaid = false;
};
