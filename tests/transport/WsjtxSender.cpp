#include "WsjtxSender.h"

#include <QDataStream>
#include <QIODevice>

#include <functional>

namespace {

QByteArray Utf8(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

WsjtxSender::WsjtxSender(std::string id, int schema) : m_id(std::move(id)), m_schema(schema) {}

QByteArray WsjtxSender::Message(quint32 type, const std::function<void(QDataStream&)>& body) const {
    QByteArray datagram;
    QDataStream out(&datagram, QIODevice::WriteOnly);
    out.setVersion(m_schema == 3 ? QDataStream::Qt_5_4 : QDataStream::Qt_5_2);
    out << quint32(0xadbccbda) << quint32(m_schema) << type << Utf8(m_id);
    body(out);
    return datagram;
}

QByteArray WsjtxSender::Heartbeat(const std::string& version) const {
    return Message(0,
                   [&](QDataStream& out) { out << quint32(3) << Utf8(version) << Utf8("0d9b96"); });
}

QByteArray WsjtxSender::Status(quint64 dialHz, const std::string& mode, const std::string& deCall,
                               const std::string& deGrid) const {
    return Message(1, [&](QDataStream& out) {
        out << dialHz << Utf8(mode) << QByteArray() /* DX call */ << Utf8("-15")
            << Utf8(mode) /* Tx mode */ << false << false << true << quint32(1500) << quint32(1500)
            << Utf8(deCall) << Utf8(deGrid) << QByteArray() /* DX grid */
            << false << QByteArray() /* sub-mode */ << false << quint8(0) << quint32(0xffffffff)
            << quint32(15) << Utf8("Default") << QByteArray();
    });
}

QByteArray WsjtxSender::Decode(quint32 timeMs, qint32 snr, quint32 offsetHz,
                               const std::string& message, bool lowConfidence, bool offAir) const {
    return Message(2, [&](QDataStream& out) {
        out << true << timeMs << snr << 0.1 << offsetHz << Utf8("~") << Utf8(message)
            << lowConfidence << offAir;
    });
}

QByteArray WsjtxSender::Clear() const {
    return Message(3, [](QDataStream&) {});
}

QByteArray WsjtxSender::Close() const {
    return Message(6, [](QDataStream&) {});
}

bool WsjtxSender::Send(const QByteArray& datagram, const QHostAddress& to, quint16 port) {
    return m_socket.writeDatagram(datagram, to, port) == datagram.size();
}
