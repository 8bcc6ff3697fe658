#include "transport/NetConnectHandler.h"

#include "transport/SocketError.h"

#include <QTcpSocket>

CNetConnectHandler::CNetConnectHandler(IPortHost& host, IPortView& view)
    : CSocketPort(host, view) {}

CNetConnectHandler::CNetConnectHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CSocketPort(setup, host, view) {}

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
}

void CNetConnectHandler::CloseTransport() {
    Discard(m_socket);
}
