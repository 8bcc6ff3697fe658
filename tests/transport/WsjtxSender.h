#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QUdpSocket>

#include <functional>
#include <string>

// Plays one decoder client: writes its datagrams as the client writes
// them, through QDataStream in the schema's stream version, every field
// of the current protocol included, and sends them from its own socket.
class WsjtxSender {
  public:
    explicit WsjtxSender(std::string id, int schema = 2);

    QByteArray Heartbeat(const std::string& version) const;
    QByteArray Status(quint64 dialHz, const std::string& mode, const std::string& deCall,
                      const std::string& deGrid) const;
    QByteArray Decode(quint32 timeMs, qint32 snr, quint32 offsetHz, const std::string& message,
                      bool lowConfidence = false, bool offAir = false) const;
    QByteArray Clear() const;
    QByteArray Close() const;

    // False when the socket would not send it.
    bool Send(const QByteArray& datagram, const QHostAddress& to, quint16 port);
    QUdpSocket& Socket() { return m_socket; }

  private:
    QByteArray Message(quint32 type, const std::function<void(QDataStream&)>& body) const;

    std::string m_id;
    int m_schema;
    QUdpSocket m_socket;
};
