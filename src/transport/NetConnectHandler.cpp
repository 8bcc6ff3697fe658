#include "transport/NetConnectHandler.h"

#include "platform/IClock.h"
#include "routing/Router.h"
#include "transport/SocketError.h"
#include "transport/WriteQueue.h"

#include <QTcpSocket>

#include <sys/ioctl.h>

#include <linux/sockios.h>

CNetConnectHandler::CNetConnectHandler(IPortHost& host, IPortView& view)
    : CSocketPort(host, view), m_hold(CWriteQueue::MaxPending) {}

CNetConnectHandler::CNetConnectHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CSocketPort(setup, host, view), m_hold(CWriteQueue::MaxPending) {}

CNetConnectHandler::~CNetConnectHandler() = default;

void CNetConnectHandler::OpenTransport(const std::vector<QHostAddress>& addresses) {
    m_addresses = addresses;
    m_next = 0;
    m_lastError = 0;
    TryNext();
}

void CNetConnectHandler::TryNext() {
    Discard(m_socket);
    if (m_next >= m_addresses.size()) {
        SetupFailed("Error connecting to host address " + Target() + ": " +
                    CSocketError::Reason(m_lastError));
        return;
    }
    m_socket = new QTcpSocket(&Context());
    QObject::connect(m_socket, &QTcpSocket::connected, &Context(), [this] { Connected(); });
    // The next address is tried from the loop, not inside the socket's own
    // error signal.
    QObject::connect(m_socket, &QTcpSocket::errorOccurred, &Context(),
                     [this](QAbstractSocket::SocketError error) {
                         m_lastError = CSocketError::Number(error);
                         QObject::disconnect(m_socket, nullptr, &Context(), nullptr);
                         QMetaObject::invokeMethod(
                             &Context(), [this] { TryNext(); }, Qt::QueuedConnection);
                     });
    m_socket->connectToHost(m_addresses[m_next++], PortNumber);
}

void CNetConnectHandler::Connected() {
    // From here on the socket's events are traffic, not set-up.
    QObject::disconnect(m_socket, nullptr, &Context(), nullptr);
    AttachStream(*m_socket);
    PrintMessage("Port connected.");
    LinkUp();
    ReadStream();
    SendHeld();
}

void CNetConnectHandler::CloseTransport() {
    Discard(m_socket);
}

void CNetConnectHandler::Write(const char* data, int len) {
    if (SendsOwnTalk()) {
        CSocketPort::Write(data, len);
        return;
    }
    if (len <= 0) {
        return;
    }
    if (!IsConnected() && !AwaitsLink()) {
        m_hold.Clear();
        return;
    }
    const auto size = static_cast<std::size_t>(len);
    if (m_hold.WouldPass(size)) {
        NoteAcknowledged(true);
    }
    m_hold.Hold(std::string_view(data, size));
    if (!IsConnected()) {
        m_resending = true;
        return;
    }
    SendHeld();
}

void CNetConnectHandler::OnInputTaken() {
    CSocketPort::OnInputTaken();
    SendHeld();
}

bool CNetConnectHandler::AwaitsLink() const {
    // A Connect marks the script as disconnected by hand until the link
    // starts, so an attempt under way counts on its own.
    return m_linkWanted &&
           (IsConnecting() || Script().AutoReconnectArmed() || IsReconnectWaiting());
}

bool CNetConnectHandler::TrafficReady() const {
    // A peer that has closed is still read to its end, but takes nothing.
    return IsConnected() && m_socket != nullptr &&
           m_socket->state() == QAbstractSocket::ConnectedState && LoginDone() &&
           (Router() == nullptr || Router()->LinkReady());
}

void CNetConnectHandler::SendHeld() {
    if (!m_hold.HasWaiting() || !TrafficReady()) {
        return;
    }
    if (m_resending) {
        m_resending = false;
        const std::size_t waiting = m_hold.Waiting();
        std::string text =
            "sending " + std::to_string(waiting) + (waiting == 1 ? " held line" : " held lines");
        if (const std::size_t dropped = m_hold.TakeDropped(); dropped > 0) {
            text += ", " + std::to_string(dropped) + " more were dropped: the hold was full";
        }
        PrintMessage(text);
    }
    while (IsConnected() && m_hold.HasWaiting()) {
        NoteAcknowledged(false);
        const std::string& line = m_hold.NextWaiting();
        CSocketPort::Write(line.data(), static_cast<int>(line.size()));
        // A partner that stopped reading resets the link inside the write;
        // the line was not written and waits with the others.
        if (!IsConnected()) {
            return;
        }
        m_hold.MarkSent();
    }
}

void CNetConnectHandler::NoteAcknowledged(bool force) {
    const std::int64_t now = Clock().NowSeconds();
    if (!force && now < m_nextAckCheck) {
        return;
    }
    m_nextAckCheck = now + 1;
    if (const std::optional<std::size_t> unacked = UnacknowledgedBytes()) {
        m_hold.Acknowledged(*unacked);
    }
}

std::optional<std::size_t> CNetConnectHandler::UnacknowledgedBytes() const {
    if (m_socket == nullptr || m_socket->socketDescriptor() < 0) {
        return std::nullopt;
    }
    int queued = 0;
    if (::ioctl(static_cast<int>(m_socket->socketDescriptor()), SIOCOUTQ, &queued) != 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(m_socket->bytesToWrite()) + static_cast<std::size_t>(queued);
}

void CNetConnectHandler::DoConnect() {
    m_linkWanted = true;
    CSocketPort::DoConnect();
}

CPortHandler::LinkEnd CNetConnectHandler::DoDisconnect() {
    // Asked before the socket goes: once it is closed nobody can tell what
    // the partner has. Without the answer (the partner closed, and Qt with
    // it) every sent line since the last check, at most a second's worth,
    // is held.
    if (const std::optional<std::size_t> unacked = UnacknowledgedBytes()) {
        m_hold.Acknowledged(*unacked);
    }
    const LinkEnd end = CSocketPort::DoDisconnect();
    if (!Script().AutoReconnectArmed()) {
        m_linkWanted = false;
        m_hold.Clear();
        return end;
    }
    m_hold.LinkLost();
    m_resending = m_hold.HasWaiting();
    return end;
}
