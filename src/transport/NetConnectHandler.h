#pragma once

#include "transport/SocketPort.h"

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
class CNetConnectHandler : public CSocketPort {
  public:
    CNetConnectHandler(IPortHost& host, IPortView& view);
    CNetConnectHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CNetConnectHandler() override;

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Telnet); }
    void OpenTransport(const std::vector<QHostAddress>& addresses) override;
    void CloseTransport() override;
    QTcpSocket* Stream() const override { return m_socket; }

  private:
    // Tries the next address; after the last, the connect error.
    void TryNext();
    void Connected();

    QTcpSocket* m_socket = nullptr;
    std::vector<QHostAddress> m_addresses;
    std::size_t m_next = 0;
    // The system's error number of the last failed attempt.
    int m_lastError = 0;
};
