#include "transport/RxNetHandler.h"

#include <QTcpServer>
#include <QTcpSocket>

CRxNetHandler::CRxNetHandler(IPortHost& host, IPortView& view) : CSocketPort(host, view) {}

CRxNetHandler::CRxNetHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CSocketPort(setup, host, view) {}

CRxNetHandler::~CRxNetHandler() = default;

void CRxNetHandler::OpenTransport(const QHostAddress& address) {
    m_server = new QTcpServer(&Context());
    m_server->setListenBacklogSize(1);
    if (!m_server->listen(address, PortNumber)) {
        switch (m_server->serverError()) {
        case QAbstractSocket::AddressInUseError:
        case QAbstractSocket::SocketAddressNotAvailableError:
        case QAbstractSocket::SocketAccessError:
            SetupFailed("Error binding socket to host address");
            break;
        default:
            SetupFailed("Error listening to socket");
            break;
        }
        return;
    }
    QObject::connect(m_server, &QTcpServer::newConnection, &Context(), [this] { Accept(); });
    LinkUp();
}

void CRxNetHandler::Accept() {
    while (QTcpSocket* next = m_server->nextPendingConnection()) {
        Discard(m_caller);
        m_caller = next;
        AttachStream(*m_caller);
        StartScript();
    }
    ReadStream();
}

void CRxNetHandler::CloseTransport() {
    Discard(m_caller);
    if (m_server != nullptr) {
        QObject::disconnect(m_server, nullptr, &Context(), nullptr);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}
