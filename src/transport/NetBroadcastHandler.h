#pragma once

#include "transport/NetPort.h"
#include "transport/ReadPump.h"

#include <QHostAddress>

#include <cstdint>
#include <string>
#include <vector>

class QUdpSocket;

// The UDP broadcast port ("CTE") on the local network of the CT contest
// logging program: every Write goes out as one datagram to BroadcastIP, and
// every datagram another station broadcasts on the same UDP port comes in as
// one received chunk. The port neither frames nor splits: the CT Network
// router builds and reads the packets.
//
// Connect completes before it returns ("Port connected"). The socket listens
// on every local address so that broadcasts reach it (a socket bound to a
// unicast address receives none on Linux), shares the UDP port with other
// programs on this machine, and skips datagrams sent from MyIP, which must
// be an address of this machine. A datagram longer than "BufferSize" is
// dropped with a line in the view; reception goes on.
class CNetBroadcastHandler : public CNetPort {
  public:
    // A new port: MyIP and BroadcastIP of this machine's first network.
    CNetBroadcastHandler(IPortHost& host, IPortView& view);
    // Reads the common block, then "MyIP", "BroadcastIP" and "PortNumber".
    CNetBroadcastHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CNetBroadcastHandler() override;

    void Write(const char* data, int len) override;
    void SaveKindSettings(CSetupFile& setup) const override;
    void OnInputTaken() override;

    std::string MyIP = "10.0.0.100";
    std::string BroadcastIP = "10.0.0.255";
    std::uint16_t PortNumber = 9870;

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Broadcast); }
    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;

    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    void ReadStep();
    void CloseSocket();
    bool IsOwn(const QHostAddress& sender) const;
    static bool IsAddressOfThisMachine(const QHostAddress& address);
    // "Failed to bind socket, err=99: Cannot assign requested address"
    std::string BindFailure(int number) const;

    QUdpSocket* m_socket = nullptr;
    QHostAddress m_local;
    QHostAddress m_broadcast;
    CReadPump m_pump;
    // One datagram plus the terminating NUL the view reads up to.
    std::vector<char> m_receive;
};
