#include "transport/NetBroadcastHandler.h"

#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"
#include "transport/HostResolver.h"
#include "transport/InputRoom.h"
#include "transport/LocalNetwork.h"
#include "transport/SocketError.h"

#include <QNetworkInterface>
#include <QUdpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>

CNetBroadcastHandler::CNetBroadcastHandler(IPortHost& host, IPortView& view)
    : CNetPort(host, view), m_pump([this] { ReadStep(); }) {
    // A new port starts on the network this machine is on; without one it
    // keeps the example addresses for the user to change.
    if (const std::optional<LocalNetwork::Broadcast> network = LocalNetwork::FirstBroadcast()) {
        MyIP = network->address;
        BroadcastIP = network->broadcast;
    }
}

//   MyIP=10.0.0.100
//   BroadcastIP=10.0.0.255
//   PortNumber=9870
CNetBroadcastHandler::CNetBroadcastHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CNetPort(setup, host, view), m_pump([this] { ReadStep(); }) {
    MyIP = setup.GetString("MyIP");
    BroadcastIP = setup.GetString("BroadcastIP");
    PortNumber = PortNumberOf(setup.GetInt("PortNumber"));
}

CNetBroadcastHandler::~CNetBroadcastHandler() = default;

void CNetBroadcastHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("MyIP", MyIP);
    setup.PutString("BroadcastIP", BroadcastIP);
    setup.PutInt("PortNumber", PortNumber);
}

CNetPort::Fields CNetBroadcastHandler::KindFields() const {
    return {
        {"MyIP", MyIP}, {"PortNumber", std::to_string(PortNumber)}, {"BroadcastIP", BroadcastIP}};
}

void CNetBroadcastHandler::ApplyKindFields(const PortSetupValues& values) {
    MyIP = FieldOf(values, "MyIP", MyIP);
    PortNumber = PortNumberOf(FieldOf(values, "PortNumber", std::to_string(PortNumber)));
    BroadcastIP = FieldOf(values, "BroadcastIP", BroadcastIP);
}

bool CNetBroadcastHandler::IsAddressOfThisMachine(const QHostAddress& address) {
    if (address.isLoopback()) {
        return true;
    }
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    return std::any_of(own.begin(), own.end(),
                       [&](const QHostAddress& a) { return a.isEqual(address); });
}

std::string CNetBroadcastHandler::BindFailure(int number) const {
    return "Failed to bind socket, err=" + std::to_string(number) + ": " +
           CSocketError::BindReason(number, PortNumber);
}

void CNetBroadcastHandler::DoConnect() {
    // Addresses are dotted texts; there is no name look-up here.
    const std::optional<QHostAddress> local = CHostResolver::Dotted(MyIP);
    const std::optional<QHostAddress> broadcast = CHostResolver::Dotted(BroadcastIP);
    m_local = local.value_or(QHostAddress());
    m_broadcast = broadcast.value_or(QHostAddress());
    if (!local) {
        PrintMessage(BindFailure(EADDRNOTAVAIL) + " (\"" + MyIP + "\" is no IPv4 address)");
        return;
    }
    if (!IsAddressOfThisMachine(*local)) {
        PrintMessage(BindFailure(EADDRNOTAVAIL) + " (" + MyIP +
                     " is not an address of this machine)");
        return;
    }

    m_socket = new QUdpSocket(&Context());
    if (!m_socket->bind(QHostAddress::AnyIPv4, PortNumber,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        const int number = CSocketError::Number(m_socket->error());
        CloseSocket();
        PrintMessage(BindFailure(number) + " (UDP port " + std::to_string(PortNumber) + ")");
        return;
    }
    QObject::connect(m_socket, &QUdpSocket::readyRead, &Context(), [this] { m_pump.Run(); });

    SetConnected(true);
    PrintMessage("Port connected");
    m_receive.assign(static_cast<std::size_t>(std::max(BufferSize(), 1)) + 1, '\0');
    OnLinkStart();
    OnReceive(m_receive.data(), 0);
}

void CNetBroadcastHandler::CloseSocket() {
    if (m_socket == nullptr) {
        return;
    }
    QObject::disconnect(m_socket, nullptr, &Context(), nullptr);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

CPortHandler::LinkEnd CNetBroadcastHandler::DoDisconnect() {
    CloseSocket();
    return LinkEnd::Now;
}

void CNetBroadcastHandler::Write(const char* data, int len) {
    if (!IsConnected() || m_socket == nullptr) {
        return;
    }
    if (m_broadcast.isNull()) {
        PrintText(CSocketError::Line(PortName, EDESTADDRREQ));
        return;
    }
    if (m_socket->writeDatagram(data, len, m_broadcast, PortNumber) < 0) {
        PrintText(CSocketError::Line(PortName, CSocketError::Number(m_socket->error())));
    }
}

void CNetBroadcastHandler::OnInputTaken() {
    if (IsConnected() && CInputRoom::WorthReading(*this)) {
        m_pump.Run();
    }
}

bool CNetBroadcastHandler::IsOwn(const QHostAddress& sender) const {
    bool ok = false;
    const quint32 address = sender.toIPv4Address(&ok);
    return ok && address == m_local.toIPv4Address();
}

void CNetBroadcastHandler::ReadStep() {
    const int capacity = static_cast<int>(m_receive.size()) - 1;
    while (IsConnected() && m_socket->hasPendingDatagrams()) {
        const qint64 size = m_socket->pendingDatagramSize();
        if (size <= capacity && !CInputRoom::Fits(*this, static_cast<int>(size))) {
            // The router is taking lines; the kernel queues the rest.
            return;
        }
        QHostAddress sender;
        const qint64 n = m_socket->readDatagram(m_receive.data(), capacity, &sender);
        if (n < 0) {
            Disconnect();
            return;
        }
        if (size > capacity) {
            PrintMessage("Datagram of " + std::to_string(size) +
                         " bytes dropped, longer than BufferSize");
            continue;
        }
        // Own broadcasts come back; empty datagrams carry nothing to route.
        if (n == 0 || IsOwn(sender)) {
            continue;
        }
        char* data = m_receive.data();
        data[n] = '\0';
        OnReceive(data, static_cast<int>(n));
        PrintText(std::string_view(data, ::strnlen(data, static_cast<std::size_t>(n))));
    }
}
