#include "transport/WsjtxListener.h"

#include "transport/HostResolver.h"
#include "transport/WsjtxReader.h"

#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

namespace {

// The largest UDP payload; a longer pending datagram is read cut short and
// refused as too long anyway.
constexpr int ReceiveBuffer = 65536;
// Datagrams read in one turn of the event loop before others get theirs.
constexpr int DatagramsPerTurn = 256;
constexpr int TickMs = 1000;
// Room in the kernel for a burst of decodes while the loop is busy
// elsewhere (a busy machine, a window being drawn): some thousands of
// datagrams. The system may grant less (net.core.rmem_max).
constexpr int KernelReceiveBuffer = 4 * 1024 * 1024;

} // namespace

CWsjtxListener::CWsjtxListener(CWsjtxSpotMaker& maker, IWsjtxOutput& output)
    : m_maker(maker), m_output(output) {}

CWsjtxListener::~CWsjtxListener() = default;

std::uint16_t CWsjtxListener::LocalPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

bool CWsjtxListener::Fail(const std::string& endpoint, const std::string& reason) {
    m_output.WsjtxLine("Cannot listen on " + endpoint + ": " + reason);
    Close();
    return false;
}

bool CWsjtxListener::Open(const std::string& host, std::uint16_t port) {
    Close();
    const std::string endpoint = host + ":" + std::to_string(port);
    const std::optional<QHostAddress> address = CHostResolver::Literal(host);
    if (!address) {
        return Fail(endpoint, "HostName must be an IP address of this machine or a multicast "
                              "group");
    }
    m_socket = std::make_unique<QUdpSocket>();
    bool bound = false;
    if (address->isMulticast()) {
        const QHostAddress any = address->protocol() == QAbstractSocket::IPv6Protocol
                                     ? QHostAddress::AnyIPv6
                                     : QHostAddress::AnyIPv4;
        bound = m_socket->bind(any, port,
                               QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    } else {
        bound = m_socket->bind(*address, port);
    }
    if (!bound) {
        return Fail(endpoint, m_socket->errorString().toStdString());
    }
    if (address->isMulticast() && !JoinGroup(*address)) {
        return Fail(endpoint,
                    "cannot join the multicast group: " + m_socket->errorString().toStdString());
    }
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                              QVariant(KernelReceiveBuffer));
    m_buffer.resize(ReceiveBuffer);
    m_datagrams = 0;
    QObject::connect(m_socket.get(), &QUdpSocket::readyRead, m_socket.get(),
                     [this] { ReadDatagrams(); });
    m_tick = std::make_unique<QTimer>();
    QObject::connect(m_tick.get(), &QTimer::timeout, m_tick.get(), [this] { m_maker.Tick(); });
    m_tick->start(TickMs);
    m_output.WsjtxLine("Listening on " + host + ":" + std::to_string(m_socket->localPort()));
    return true;
}

// The decoders send to a group on the loopback interface unless told
// otherwise, and the loopback interface does not say it can multicast; so
// the group is joined on every interface that is up and either can or is
// the loopback one.
bool CWsjtxListener::JoinGroup(const QHostAddress& group) {
    bool joined = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nic : interfaces) {
        const auto flags = nic.flags();
        if ((flags & QNetworkInterface::IsUp) &&
            (flags & (QNetworkInterface::CanMulticast | QNetworkInterface::IsLoopBack)) &&
            m_socket->joinMulticastGroup(group, nic)) {
            joined = true;
        }
    }
    return joined || m_socket->joinMulticastGroup(group);
}

// Close may be called from the maker's output while a datagram or the
// timer is being handled, so the closed socket and timer are kept, silent,
// until the next Close or the listener's end; a read still queued then
// reads whatever socket is open.
void CWsjtxListener::Close() {
    if (m_tick) {
        m_tick->stop();
        QObject::disconnect(m_tick.get(), nullptr, nullptr, nullptr);
        m_closedTick = std::move(m_tick);
    }
    if (m_socket) {
        QObject::disconnect(m_socket.get(), nullptr, nullptr, nullptr);
        m_socket->abort();
        m_closedSocket = std::move(m_socket);
    }
    m_readQueued = false;
}

void CWsjtxListener::ReadDatagrams() {
    m_readQueued = false;
    for (int taken = 0; m_socket && m_socket->hasPendingDatagrams(); ++taken) {
        if (taken == DatagramsPerTurn) {
            // Others on the loop get their turn; reading goes on after them.
            if (!m_readQueued) {
                m_readQueued = true;
                QMetaObject::invokeMethod(
                    &m_context, [this] { ReadDatagrams(); }, Qt::QueuedConnection);
            }
            return;
        }
        const qint64 size = m_socket->pendingDatagramSize();
        const qint64 n = m_socket->readDatagram(m_buffer.data(), m_buffer.size());
        if (n < 0) {
            // The kernel reported an error for this datagram (an ICMP
            // answer to an earlier one, say); the socket stays open.
            continue;
        }
        ++m_datagrams;
        const WsjtxRefusal refusal =
            size > CWsjtxReader::MaxDatagram
                ? WsjtxRefusal::TooLong
                : CWsjtxReader::Read(
                      QByteArray::fromRawData(m_buffer.constData(), static_cast<int>(n)),
                      m_message);
        if (refusal == WsjtxRefusal::None) {
            m_maker.Take(m_message);
        } else {
            m_maker.Refused(refusal);
        }
    }
}
