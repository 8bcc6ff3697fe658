#include "transport/SocketPort.h"

#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "transport/InputRoom.h"
#include "transport/OperatorNotice.h"
#include "transport/SocketError.h"
#include "transport/StreamSend.h"
#include "transport/TelnetFilter.h"
#include "transport/WriteQueue.h"

#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>

CSocketPort::CSocketPort(IPortHost& host, IPortView& view)
    : CNetPort(host, view), m_pump([this] { ReadStep(); }) {}

//   HostName=dxc.example.net
//   PortNumber=23
CSocketPort::CSocketPort(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CNetPort(setup, host, view), m_pump([this] { ReadStep(); }) {
    HostName = setup.GetString("HostName");
    PortNumber = PortNumberOf(setup.GetInt("PortNumber"));
}

// The sockets are children of the context object, whose destruction cuts
// their connections to this port before it deletes them.
CSocketPort::~CSocketPort() = default;

void CSocketPort::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("HostName", HostName);
    setup.PutInt("PortNumber", PortNumber);
}

CNetPort::Fields CSocketPort::KindFields() const {
    return {{"HostName", HostName}, {"PortNumber", std::to_string(PortNumber)}};
}

void CSocketPort::ApplyKindFields(const PortSetupValues& values) {
    HostName = FieldOf(values, "HostName", HostName);
    PortNumber = PortNumberOf(FieldOf(values, "PortNumber", std::to_string(PortNumber)));
}

void CSocketPort::DoConnect() {
    m_state = LinkState::Connecting;
    m_resolver.Resolve(HostName, [this](std::vector<QHostAddress> addresses) {
        if (addresses.empty()) {
            SetupFailed(NoAddress());
            return;
        }
        OpenTransport(addresses);
    });
}

CPortHandler::LinkEnd CSocketPort::DoDisconnect() {
    CloseTransport();
    m_state = LinkState::Disconnected;
    m_peerClosed = false;
    return LinkEnd::Now;
}

std::string CSocketPort::NoAddress() const {
    const std::string words = "Error getting host address from name";
    if (HostName.empty()) {
        return words + ": no host name given";
    }
    if (HostName.size() > MaxHostName) {
        return words + ": the name is longer than " + std::to_string(MaxHostName) + " characters";
    }
    return words + " " + HostName + ": no address found for this name";
}

std::string CSocketPort::Target() const {
    if (const std::optional<QHostAddress> literal = CHostResolver::Literal(HostName)) {
        return CHostResolver::Endpoint(*literal, PortNumber);
    }
    return HostName + ":" + std::to_string(PortNumber);
}

void CSocketPort::SetupFailed(std::string_view message) {
    CloseTransport();
    PrintMessage(message);
    m_state = LinkState::Disconnected;
    OnLinkStart();
    OnLinkEnd();
}

void CSocketPort::LinkUp() {
    MarkConnected();
    m_receive.assign(static_cast<std::size_t>(std::max(BufferSize(), 1)) + 1, '\0');
    OnReceive(m_receive.data(), 0);
}

void CSocketPort::MarkConnected() {
    m_state = LinkState::Connected;
    m_peerClosed = false;
    SetConnected(true);
    OnLinkStart();
}

void CSocketPort::AttachStream(QTcpSocket& socket) {
    m_peerClosed = false;
    socket.setReadBufferSize(std::max(BufferSize(), MinReadBuffer));
    CStreamSend::LowDelay(socket);
    QObject::connect(&socket, &QTcpSocket::readyRead, &Context(), [this] { ReadStream(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &Context(), [this] { StreamClosed(); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &Context(),
                     [this, s = &socket](QAbstractSocket::SocketError) {
                         if (s->state() != QAbstractSocket::ConnectedState) {
                             StreamClosed();
                         }
                     });
}

void CSocketPort::Discard(QTcpSocket*& socket) {
    if (socket == nullptr) {
        return;
    }
    QObject::disconnect(socket, nullptr, &Context(), nullptr);
    socket->abort();
    socket->deleteLater();
    socket = nullptr;
}

void CSocketPort::Write(const char* data, int len) {
    QTcpSocket* socket = Stream();
    if (!IsConnected() || socket == nullptr || len <= 0) {
        return;
    }
    // A peer that has closed is still read to its end; sending to it fails.
    if (socket->state() != QAbstractSocket::ConnectedState) {
        PrintText(CSocketError::Line(PortName, ENOTCONN));
        return;
    }
    // A send that would block is no error: the bytes wait in the socket's
    // queue. A partner that lets the queue fill up has stopped reading; the
    // link is reset once, and the connect script reconnects as it is set.
    const qint64 waiting = socket->bytesToWrite();
    if (waiting + len > static_cast<qint64>(CWriteQueue::MaxPending)) {
        TellOperator(*this, "partner stopped reading: " + std::to_string(waiting) +
                                " bytes waiting, " +
                                (Script().AutoReconnectArmed() ? "reconnecting" : "disconnecting"));
        Disconnect();
        return;
    }
    if (socket->write(data, len) != len) {
        PrintText(CSocketError::Line(PortName, CSocketError::Number(socket->error())));
    }
}

void CSocketPort::OnInputTaken() {
    // After the peer's close every taken line matters: the last one taken
    // lets the port disconnect.
    if (IsConnected() && (m_peerClosed || CInputRoom::WorthReading(*this))) {
        ReadStream();
    }
}

int CSocketPort::Capacity() const {
    return static_cast<int>(m_receive.size()) - 1;
}

void CSocketPort::StreamClosed() {
    m_peerClosed = true;
    ReadStream();
}

void CSocketPort::ReadStep() {
    while (IsConnected()) {
        QTcpSocket* socket = Stream();
        const qint64 waiting = socket != nullptr ? socket->bytesAvailable() : 0;
        if (waiting <= 0) {
            break;
        }
        const int wanted = static_cast<int>(std::min<qint64>(waiting, Capacity()));
        const int room = CInputRoom::Bytes(*this, wanted);
        if (room <= 0) {
            return;
        }
        const qint64 n = socket->read(m_receive.data(), room);
        if (n <= 0) {
            Disconnect();
            return;
        }
        Deliver(static_cast<int>(n));
    }
    // Lines the peer sent before it closed are routed before the port goes
    // down: a disconnected port offers no lines, so they would wait in the
    // ring until the next link.
    if (m_peerClosed && IsConnected() && PendingLines() == 0) {
        Disconnect();
    }
}

void CSocketPort::Deliver(int n) {
    char* data = m_receive.data();
    data[n] = '\0';
    // The refusals answer the peer at once, whatever a kind does with the
    // traffic it writes.
    CTelnetFilter::Apply(data, n,
                         [this](const char* answer, int len) { CSocketPort::Write(answer, len); });
    PrintText(std::string_view(data, ::strnlen(data, static_cast<std::size_t>(n))));
    OnReceive(data, n);
    Received();
}

std::size_t CSocketPort::QueuedBytes() const {
    const QTcpSocket* stream = Stream();
    return stream != nullptr ? static_cast<std::size_t>(stream->bytesToWrite()) : 0;
}
