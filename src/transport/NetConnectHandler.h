#pragma once

#include "transport/LinkHold.h"
#include "transport/SocketPort.h"

#include <cstdint>
#include <optional>

// The telnet client port ("TEL"): connects out over TCP to a cluster node or
// any telnet service and carries text both ways.
//
// Connect resolves the host and starts the connection on the loop, trying
// every address of the look-up in order (IPv6 and IPv4); once one stands
// the port writes "TEL: Port connected.", starts its link (the connect
// script logs in) and reads. When no address answers, the port writes
// "TEL: Error connecting to host address 127.0.0.1:7300: Connection
// refused", with the reason the last address gave; the connect script's automatic
// reconnection decides about the next attempt, as it does after the peer
// closes ("Port disconnected").
//
// Traffic routed to the port goes through a hold (CLinkHold): a line is
// kept until the partner's TCP has acknowledged it, and while the link is
// down and set to reconnect, or the login (and a node link's handshake) is
// not over yet, lines wait there. A link that dies, by a keep-alive
// timeout, a reset or the partner's close, so loses no line that TCP had
// not delivered: the next connection writes the held lines after its login,
// in order, before any newer one. A line the partner's TCP took just before
// the link died may come again; the far side's dupe table drops it, which is
// far better than losing it. Lines held when the link is closed by hand, or
// when it is not set to reconnect, are dropped as before.
class CNetConnectHandler : public CSocketPort {
  public:
    CNetConnectHandler(IPortHost& host, IPortView& view);
    CNetConnectHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CNetConnectHandler() override;

    // Own talk goes out at once (dropped while down); traffic through the
    // hold.
    void Write(const char* data, int len) override;
    void OnInputTaken() override;

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Telnet); }
    void OpenTransport(const std::vector<QHostAddress>& addresses) override;
    void CloseTransport() override;
    QTcpSocket* Stream() const override { return m_socket; }
    void DoConnect() override;
    LinkEnd DoDisconnect() override;
    // The login may have ended with this chunk or second.
    void Received() override { SendHeld(); }
    void OnSecond() override { SendHeld(); }

  private:
    // Tries the next address; after the last, the connect error.
    void TryNext();
    void Connected();
    // True while a link is up, coming up or due to come back, since a
    // Connect: a port never connected, or closed by hand, holds nothing.
    bool AwaitsLink() const;
    // Connected, logged in, and the link's protocol lets traffic through.
    bool TrafficReady() const;
    // Writes the waiting lines while the link takes traffic.
    void SendHeld();
    // Forgets the sent lines the partner has (at most once a second unless
    // forced: the look-up is a system call).
    void NoteAcknowledged(bool force);
    // Bytes written on this connection that the partner's TCP has not
    // acknowledged (Qt's buffer and the kernel's queue); none without a
    // socket.
    std::optional<std::size_t> UnacknowledgedBytes() const;

    QTcpSocket* m_socket = nullptr;
    std::vector<QHostAddress> m_addresses;
    std::size_t m_next = 0;
    // The system's error number of the last failed attempt.
    int m_lastError = 0;
    CLinkHold m_hold;
    std::int64_t m_nextAckCheck = 0;
    bool m_resending = false;
    bool m_linkWanted = false;
};
