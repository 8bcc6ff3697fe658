#include "transport/NetConnectHandler.h"

#include <QTcpSocket>

CNetConnectHandler::CNetConnectHandler(IPortHost& host, IPortView& view)
    : CSocketPort(host, view) {}

CNetConnectHandler::CNetConnectHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CSocketPort(setup, host, view) {}

CNetConnectHandler::~CNetConnectHandler() = default;

void CNetConnectHandler::OpenTransport(const QHostAddress& address) {
    m_socket = new QTcpSocket(&Context());
    QObject::connect(m_socket, &QTcpSocket::connected, &Context(), [this] { Connected(); });
    QObject::connect(
        m_socket, &QTcpSocket::errorOccurred, &Context(),
        [this](QAbstractSocket::SocketError) { SetupFailed("Error connecting to host address"); });
    m_socket->connectToHost(address, PortNumber);
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
