#include "transport/WebServer.h"

#include "text/AsciiText.h"
#include "transport/WriteQueue.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace {

std::string Endpoint(const QHostAddress& address, std::uint16_t port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? "[" + address.toString() + "]"
                             : address.toString();
    return host.toStdString() + ":" + std::to_string(port);
}

template <class Socket> std::string PeerOf(const Socket& socket) {
    return Endpoint(socket.peerAddress(), socket.peerPort());
}

} // namespace

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
    m_webSockets = std::make_unique<QWebSocketServer>(QStringLiteral("spotweaver"),
                                                      QWebSocketServer::NonSecureMode);
    m_webSockets->setHandshakeTimeout(static_cast<int>(m_headTimeout.count()));
    QObject::connect(m_webSockets.get(), &QWebSocketServer::newConnection, &m_context,
                     [this] { TakeStreams(); });
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
    for (QWebSocket* stream : m_streams) {
        QObject::disconnect(stream, nullptr, &m_context, nullptr);
        stream->abort();
        stream->deleteLater();
    }
    m_streams.clear();
    for (const Connection& connection : m_connections) {
        QObject::disconnect(connection.socket, nullptr, &m_context, nullptr);
        connection.socket->abort();
        connection.socket->deleteLater();
    }
    m_connections.clear();
    m_waiting.clear();
    m_waitingBytes = 0;
    m_pushTimer.reset();
    m_sweep.reset();
    m_ping.reset();
    m_webSockets.reset();
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
    for (const QWebSocket* stream : m_streams) {
        bytes += static_cast<std::size_t>(stream->bytesToWrite());
    }
    return bytes;
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
            OpenStream(socket);
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

void CWebServer::OpenStream(QTcpSocket* socket) {
    // The WebSocket module reads the upgrade request itself.
    QObject::disconnect(socket, nullptr, &m_context, nullptr);
    std::erase_if(m_connections, [socket](const Connection& c) { return c.socket == socket; });
    m_webSockets->handleConnection(socket);
}

void CWebServer::TakeStreams() {
    // A new stream gets the spots pushed from now on, not those still
    // waiting.
    SendWaiting();
    while (QWebSocket* stream = m_webSockets->nextPendingConnection()) {
        // Clients have nothing to say but pongs and a close.
        stream->setMaxAllowedIncomingFrameSize(1024);
        stream->setMaxAllowedIncomingMessageSize(1024);
        m_streams.push_back(stream);
        QObject::connect(stream, &QWebSocket::disconnected, &m_context, [this, stream] {
            std::erase(m_streams, stream);
            stream->deleteLater();
        });
    }
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
    if (m_waitingBytes + text.size() > MaxWaiting) {
        SendWaiting();
    }
    m_waiting.push_back(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_waitingBytes += text.size();
    if (!m_pushTimer->isActive()) {
        m_pushTimer->start(PushDelay);
    }
}

void CWebServer::SendWaiting() {
    std::vector<QWebSocket*> full;
    for (QWebSocket* stream : m_streams) {
        if (static_cast<std::size_t>(stream->bytesToWrite()) + m_waitingBytes >
            CWriteQueue::MaxPending) {
            full.push_back(stream);
            continue;
        }
        for (const QString& message : m_waiting) {
            stream->sendTextMessage(message);
        }
    }
    m_waiting.clear();
    m_waitingBytes = 0;
    for (QWebSocket* stream : full) {
        m_output(PeerOf(*stream) + " closed: its queue reached " +
                 std::to_string(stream->bytesToWrite()) + " bytes");
        std::erase(m_streams, stream);
        QObject::disconnect(stream, nullptr, &m_context, nullptr);
        stream->abort();
        stream->deleteLater();
    }
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
    for (QWebSocket* stream : m_streams) {
        stream->ping();
    }
}
