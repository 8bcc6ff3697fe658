#include "transport/WebServer.h"

#include "text/AsciiText.h"
#include "transport/WebSocketFrame.h"
#include "transport/WriteQueue.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

std::string Endpoint(const QHostAddress& address, std::uint16_t port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? "[" + address.toString() + "]"
                             : address.toString();
    return host.toStdString() + ":" + std::to_string(port);
}

std::string PeerOf(const QTcpSocket& socket) {
    return Endpoint(socket.peerAddress(), socket.peerPort());
}

// True when a comma-separated header value holds token, in any case:
// "Connection: keep-alive, Upgrade".
bool HasToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        const std::string_view item = value.substr(0, comma);
        const std::size_t from = item.find_first_not_of(" \t");
        if (from != std::string_view::npos &&
            ascii::EqualsIgnoringCase(item.substr(from, item.find_last_not_of(" \t") - from + 1),
                                      token)) {
            return true;
        }
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return false;
}

// The Sec-WebSocket-Accept for a client's key: the key with the protocol's
// fixed suffix, hashed with SHA-1, in base64. Empty when the key is not 16
// bytes in base64.
std::string AcceptFor(std::string_view key) {
    const QByteArray raw(key.data(), static_cast<qsizetype>(key.size()));
    const auto decoded =
        QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != 16) {
        return {};
    }
    const QByteArray hash = QCryptographicHash::hash(raw + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                                     QCryptographicHash::Sha1);
    return hash.toBase64().toStdString();
}

const std::string& PingFrame() {
    static const std::string frame = [] {
        std::string out;
        WebSocketFrame::Append(out, WebSocketFrame::Opcode::Ping, {});
        return out;
    }();
    return frame;
}

} // namespace

// One WebSocket stream: its own descriptor, the part of a client's frame
// read so far, and what the kernel has not taken yet.
struct CWebServer::Stream {
    int fd = -1;
    std::string peer;
    std::string input;
    CWriteQueue output;
    // Dropped, to be closed by Reap.
    bool dead = false;
};

CWebServer::CWebServer(Answerer answerer, Output output)
    : m_answerer(std::move(answerer)), m_output(std::move(output)) {}

CWebServer::~CWebServer() {
    Close();
}

bool CWebServer::Open(const QHostAddress& address, std::uint16_t port) {
    Close();
    auto server = std::make_unique<QTcpServer>();
    if (!server->listen(address, port)) {
        m_output("Cannot listen on " + Endpoint(address, port) + ": " +
                 server->errorString().toStdString());
        return false;
    }
    m_server = server.release();
    QObject::connect(m_server, &QTcpServer::newConnection, &m_context, [this] { Accept(); });
    // Out of descriptors: accepting pauses for a second instead of spinning.
    QObject::connect(
        m_server, &QTcpServer::acceptError, &m_context, [this](QAbstractSocket::SocketError) {
            if (!m_refusalSaid) {
                m_refusalSaid = true;
                m_output("accepting a client failed: " + m_server->errorString().toStdString());
            }
            m_server->pauseAccepting();
            QTimer::singleShot(1000, &m_context, [this] {
                if (m_server != nullptr) {
                    m_server->resumeAccepting();
                }
            });
        });
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0) {
        m_output(std::string("Cannot watch streams: ") + std::strerror(errno));
        Close();
        return false;
    }
    m_streamReader = std::make_unique<QSocketNotifier>(m_epoll, QSocketNotifier::Read);
    QObject::connect(m_streamReader.get(), &QSocketNotifier::activated, &m_context,
                     [this] { ReadStreams(); });
    m_sweep = std::make_unique<QTimer>();
    QObject::connect(m_sweep.get(), &QTimer::timeout, &m_context, [this] { Sweep(); });
    m_sweep->start(std::min<int>(1000, static_cast<int>(m_headTimeout.count())));
    m_ping = std::make_unique<QTimer>();
    QObject::connect(m_ping.get(), &QTimer::timeout, &m_context, [this] { Ping(); });
    m_ping->start(PingInterval);
    m_pushTimer = std::make_unique<QTimer>();
    m_pushTimer->setSingleShot(true);
    QObject::connect(m_pushTimer.get(), &QTimer::timeout, &m_context, [this] { SendWaiting(); });
    m_output("Listening on " + Endpoint(m_server->serverAddress(), m_server->serverPort()));
    return true;
}

void CWebServer::Close() {
    for (const auto& stream : m_streams) {
        stream->output.Stop();
        if (stream->fd >= 0) {
            ::close(stream->fd);
        }
    }
    m_streams.clear();
    m_streamReader.reset();
    if (m_epoll >= 0) {
        ::close(m_epoll);
        m_epoll = -1;
    }
    for (const Connection& connection : m_connections) {
        QObject::disconnect(connection.socket, nullptr, &m_context, nullptr);
        connection.socket->abort();
        connection.socket->deleteLater();
    }
    m_connections.clear();
    m_waiting.clear();
    m_pushTimer.reset();
    m_sweep.reset();
    m_ping.reset();
    if (m_server != nullptr) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}

std::uint16_t CWebServer::LocalPort() const {
    return m_server != nullptr ? m_server->serverPort() : 0;
}

std::size_t CWebServer::QueuedBytes() const {
    std::size_t bytes = 0;
    for (const Connection& connection : m_connections) {
        bytes += static_cast<std::size_t>(connection.socket->bytesToWrite());
    }
    for (const auto& stream : m_streams) {
        bytes += stream->output.Pending();
    }
    return bytes;
}

int CWebServer::Streams() const {
    return static_cast<int>(std::count_if(m_streams.begin(), m_streams.end(),
                                          [](const auto& stream) { return !stream->dead; }));
}

void CWebServer::Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_refusalSaid = false;
        if (Connections() + Streams() >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // What the kernel holds beyond a head stays there until it is read.
        socket->setReadBufferSize(HttpRequest::MaxHead);
        m_connections.push_back({socket, std::chrono::steady_clock::now() + m_headTimeout});
        QObject::connect(socket, &QTcpSocket::readyRead, &m_context,
                         [this, socket] { Serve(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, &m_context,
                         [this, socket] { Forget(socket); });
        // An upgrade waits until the answers before it have gone.
        QObject::connect(socket, &QTcpSocket::bytesWritten, &m_context, [this, socket] {
            if (socket->bytesToWrite() == 0 && socket->bytesAvailable() > 0) {
                Serve(socket);
            }
        });
    }
}

CWebServer::Connection* CWebServer::Find(QTcpSocket* socket) {
    for (Connection& connection : m_connections) {
        if (connection.socket == socket) {
            return &connection;
        }
    }
    return nullptr;
}

void CWebServer::Serve(QTcpSocket* socket) {
    HttpRequest request;
    while (Find(socket) != nullptr && socket->bytesAvailable() > 0) {
        const QByteArray buffered = socket->peek(HttpRequest::MaxHead);
        const HttpRequest::State state =
            request.Parse(std::string_view(buffered.constData(), buffered.size()));
        if (state == HttpRequest::State::More) {
            return;
        }
        HttpResponse response;
        if (state != HttpRequest::State::Done) {
            response.Set(state == HttpRequest::State::TooLarge ? 413 : 400, "");
            response.close = true;
            Answer(socket, response, true);
            return;
        }
        const bool loopback = socket->peerAddress().isLoopback() &&
                              request.Header("x-forwarded-for").empty() &&
                              request.Header("forwarded").empty();
        m_answerer(request, loopback, response);
        if (ascii::EqualsIgnoringCase(request.Header("connection"), "close")) {
            response.close = true;
        }
        if (response.status == 101) {
            // The stream writes past Qt's buffer, so that must be empty.
            socket->flush();
            if (socket->bytesToWrite() > 0) {
                return;
            }
            socket->skip(static_cast<qint64>(request.headLength));
            OpenStream(socket, request, response);
            return;
        }
        socket->skip(static_cast<qint64>(request.headLength));
        if (!Answer(socket, response, request.method != "HEAD")) {
            return;
        }
        Find(socket)->deadline = std::chrono::steady_clock::now() + m_headTimeout;
    }
}

bool CWebServer::Answer(QTcpSocket* socket, const HttpResponse& response, bool withBody) {
    const std::string text = response.Text(withBody);
    if (static_cast<std::size_t>(socket->bytesToWrite()) + text.size() > CWriteQueue::MaxPending) {
        m_output(PeerOf(*socket) + " closed: it does not read its answers");
        Forget(socket);
        socket->abort();
        return false;
    }
    socket->write(text.data(), static_cast<qint64>(text.size()));
    if (response.close) {
        Linger(socket);
        return false;
    }
    return true;
}

// The answer goes out before the socket closes; what the client still
// sends meanwhile is read and dropped, since unread bytes would make the
// close a reset that can take the answer with it. A client that does not
// take the answer within the head timeout is cut off.
void CWebServer::Linger(QTcpSocket* socket) {
    QObject::disconnect(socket, nullptr, &m_context, nullptr);
    std::erase_if(m_connections, [socket](const Connection& c) { return c.socket == socket; });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(m_headTimeout, socket, [socket] { socket->abort(); });
    socket->readAll();
    socket->disconnectFromHost();
}

void CWebServer::OpenStream(QTcpSocket* socket, const HttpRequest& request,
                            HttpResponse& response) {
    const std::string accept = AcceptFor(request.Header("sec-websocket-key"));
    if (request.Header("sec-websocket-version") != "13") {
        response.Set(426, "{\"error\":\"WebSocket version 13 is expected\"}");
        response.headers.emplace_back("Sec-WebSocket-Version", "13");
    } else if (request.method != "GET" || accept.empty() ||
               !HasToken(request.Header("connection"), "upgrade")) {
        response.Set(400, "{\"error\":\"a WebSocket upgrade is expected\"}");
    }
    if (response.status != 101) {
        response.close = true;
        Answer(socket, response, true);
        return;
    }
    // The descriptor leaves Qt: a copy of it stays open when the socket
    // object goes, with what Qt had read already.
    const int fd = ::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    auto stream = std::make_unique<Stream>();
    stream->fd = fd;
    stream->peer = PeerOf(*socket);
    const QByteArray early = socket->readAll();
    stream->input.assign(early.constData(), static_cast<std::size_t>(early.size()));
    Forget(socket);
    socket->abort();
    epoll_event watch{};
    watch.events = EPOLLIN | EPOLLRDHUP;
    watch.data.ptr = stream.get();
    if (fd < 0 || ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &watch) != 0) {
        m_output(stream->peer + " closed: " + std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    // A new stream gets the spots pushed from now on, not those still
    // waiting.
    SendWaiting();
    Stream* const taken = stream.get();
    taken->output.Start(fd, [this, taken](int error) {
        // From inside the queue: the stream closes on the next turn.
        Drop(*taken, " closed: " + std::string(std::strerror(error)));
        QTimer::singleShot(0, &m_context, [this] { Reap(); });
    });
    m_streams.push_back(std::move(stream));
    response.headers.emplace_back("Upgrade", "websocket");
    response.headers.emplace_back("Connection", "Upgrade");
    response.headers.emplace_back("Sec-WebSocket-Accept", accept);
    if (Send(*taken, response.Text(false))) {
        ReadFrames(*taken);
    }
    Reap();
}

void CWebServer::ReadStreams() {
    epoll_event ready[64];
    int count = 0;
    do {
        count = ::epoll_wait(m_epoll, ready, 64, 0);
        for (int i = 0; i < count; ++i) {
            Stream& stream = *static_cast<Stream*>(ready[i].data.ptr);
            if (stream.dead) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = ::recv(stream.fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got > 0) {
                stream.input.append(chunk, static_cast<std::size_t>(got));
                ReadFrames(stream);
            } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                // Gone without a close frame: nothing to say about it.
                stream.dead = true;
            }
        }
    } while (count == 64);
    Reap();
}

void CWebServer::ReadFrames(Stream& stream) {
    WebSocketFrame frame;
    std::size_t used = 0;
    while (!stream.dead && used < stream.input.size()) {
        const WebSocketFrame::State state =
            frame.Parse(std::string_view(stream.input).substr(used));
        if (state == WebSocketFrame::State::More) {
            break;
        }
        if (state != WebSocketFrame::State::Done) {
            const bool large = state == WebSocketFrame::State::TooLarge;
            m_output(stream.peer + " closed: it sent " +
                     (large ? "a frame too large" : "an invalid frame"));
            EndStream(stream, WebSocketFrame::Close(large ? WebSocketFrame::TooBig
                                                          : WebSocketFrame::ProtocolError));
            return;
        }
        used += frame.length;
        if (frame.opcode == WebSocketFrame::Opcode::Ping) {
            std::string pong;
            WebSocketFrame::Append(pong, WebSocketFrame::Opcode::Pong, frame.payload);
            Send(stream, pong);
        } else if (frame.opcode == WebSocketFrame::Opcode::Close) {
            // The client's code comes back, as the protocol's closing
            // handshake asks.
            std::string close;
            WebSocketFrame::Append(close, WebSocketFrame::Opcode::Close,
                                   std::string_view(frame.payload).substr(0, 2));
            EndStream(stream, close);
            return;
        }
    }
    stream.input.erase(0, used);
}

bool CWebServer::Send(Stream& stream, std::string_view bytes) {
    if (stream.dead) {
        return false;
    }
    if (!stream.output.Write(bytes.data(), bytes.size())) {
        Drop(stream,
             " closed: its queue reached " + std::to_string(stream.output.Pending()) + " bytes");
        return false;
    }
    return !stream.dead;
}

void CWebServer::Drop(Stream& stream, const std::string& why) {
    if (!stream.dead) {
        stream.dead = true;
        m_output(stream.peer + why);
    }
}

// The close frame goes out, then the connection ends as an answer with
// "Connection: close" does: the descriptor goes back to a Qt socket that
// lingers. A client with bytes still waiting for it is cut off at once.
void CWebServer::EndStream(Stream& stream, const std::string& closeFrame) {
    if (stream.output.Pending() > 0 || stream.dead) {
        stream.dead = true;
        return;
    }
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, stream.fd, nullptr);
    stream.output.Stop();
    auto* socket = new QTcpSocket();
    if (!socket->setSocketDescriptor(stream.fd)) {
        delete socket;
        stream.dead = true;
        return;
    }
    stream.fd = -1;
    stream.dead = true;
    socket->write(closeFrame.data(), static_cast<qint64>(closeFrame.size()));
    Linger(socket);
}

void CWebServer::Reap() {
    std::erase_if(m_streams, [this](const std::unique_ptr<Stream>& stream) {
        if (!stream->dead) {
            return false;
        }
        stream->output.Stop();
        if (stream->fd >= 0) {
            ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, stream->fd, nullptr);
            ::close(stream->fd);
        }
        return true;
    });
}

void CWebServer::Forget(QTcpSocket* socket) {
    if (Find(socket) == nullptr) {
        return;
    }
    QObject::disconnect(socket, nullptr, &m_context, nullptr);
    std::erase_if(m_connections, [socket](const Connection& c) { return c.socket == socket; });
    socket->deleteLater();
}

void CWebServer::Push(std::string_view text) {
    if (m_pushTimer == nullptr || m_streams.empty()) {
        return;
    }
    // A burst goes out in parts, so that no part alone can reach a stream's
    // cap.
    if (m_waiting.size() + text.size() > MaxWaiting) {
        SendWaiting();
    }
    WebSocketFrame::Append(m_waiting, WebSocketFrame::Opcode::Text, text);
    if (!m_pushTimer->isActive()) {
        m_pushTimer->start(PushDelay);
    }
}

void CWebServer::SendWaiting() {
    if (m_waiting.empty()) {
        return;
    }
    for (const auto& stream : m_streams) {
        Send(*stream, m_waiting);
    }
    m_waiting.clear();
    Reap();
}

void CWebServer::Sweep() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<QTcpSocket*> late;
    for (const Connection& connection : m_connections) {
        if (connection.deadline <= now) {
            late.push_back(connection.socket);
        }
    }
    for (QTcpSocket* socket : late) {
        Forget(socket);
        socket->abort();
    }
}

void CWebServer::Ping() {
    for (const auto& stream : m_streams) {
        Send(*stream, PingFrame());
    }
    Reap();
}
