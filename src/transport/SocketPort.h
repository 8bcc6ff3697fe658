#pragma once

#include "transport/HostResolver.h"
#include "transport/NetPort.h"
#include "transport/ReadPump.h"

#include <QHostAddress>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QTcpSocket;

// What the telnet client and the telnet server port share.
//
// Responsibilities: the "HostName" and "PortNumber" settings; the life cycle
// Created -> Connecting -> Connected -> Disconnected on top of the port
// base's connected and link-running flags; the host look-up (an address
// literal as it stands, else every address of a name); the receive step on
// the socket that carries the traffic (telnet refusal, view, OnReceive);
// sending; the abortive close; and the failure lines. The server's callers
// read and write through sessions of their own.
//
// A fast peer loses nothing: a read takes only what the ring buffer has room
// for, Qt's own read buffer is capped, and reading goes on when the router has
// taken lines (OnInputTaken), so TCP flow control holds the peer back. A peer
// that closes is noticed after everything it sent has been delivered.
//
// Collaborators: the kinds open and close their transport (OpenTransport,
// CloseTransport) and name the socket that traffic flows on (Stream); Qt
// delivers every socket event on the one event-loop thread.
class CSocketPort : public CNetPort {
  public:
    enum class LinkState { Created, Connecting, Connected, Disconnected };

    // Host names are at most this long; a longer one cannot be looked up.
    static constexpr std::size_t MaxHostName = CHostResolver::MaxHostName;
    // Qt reads ahead of the port at most this much (or the ring's size, if
    // larger); beyond it the kernel's window holds the peer back.
    static constexpr int MinReadBuffer = 4096;

    CSocketPort(IPortHost& host, IPortView& view);
    // Reads the common block, then "HostName" and "PortNumber".
    CSocketPort(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CSocketPort() override;

    // One write on the stream while connected; dropped silently otherwise.
    void Write(const char* data, int len) override;
    std::size_t QueuedBytes() const override;
    void SaveKindSettings(CSetupFile& setup) const override;
    void OnInputTaken() override;

    LinkState State() const { return m_state; }

    std::string HostName = "127.0.0.1";
    std::uint16_t PortNumber = 23;

  protected:
    // Starts the look-up; the rest happens on the loop. A Disconnect while
    // connecting does nothing: the attempt runs to its end.
    void DoConnect() override;
    LinkEnd DoDisconnect() override;
    bool IsConnecting() const override { return m_state == LinkState::Connecting; }

    // Opens the transport to or on the resolved addresses (at least one, in
    // the look-up's order). On success the kind calls LinkUp (at once or
    // later); on failure SetupFailed.
    virtual void OpenTransport(const std::vector<QHostAddress>& addresses) = 0;
    // Closes whatever the kind holds, without a word.
    virtual void CloseTransport() = 0;
    // The socket that traffic flows on, or null.
    virtual QTcpSocket* Stream() const = 0;

    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;

    // The transport stands: connected, link start, the empty first chunk.
    void LinkUp();
    // Connected and link start only.
    void MarkConnected();
    // "dxc.example.org:7300", "[2001:db8::1]:7300": what the port connects
    // to or listens on, as the user wrote it.
    std::string Target() const;
    // A set-up step failed: its line, then link start and end; the port
    // stays disconnected and the connect script decides about a retry.
    void SetupFailed(std::string_view message);
    // Traffic flows on this socket from now on (the client's, a caller's).
    void AttachStream(QTcpSocket& socket);
    // Abortive close; the socket is deleted once its own events are over.
    void Discard(QTcpSocket*& socket);
    // Reads whatever is waiting on the stream and fits.
    void ReadStream() { m_pump.Run(); }
    // A received chunk has been taken in (and the connect script has seen
    // it).
    virtual void Received() {}

  private:
    // The look-up found nothing: the failure line with the name and why.
    std::string NoAddress() const;
    void ReadStep();
    void Deliver(int n);
    void StreamClosed();
    int Capacity() const;

    LinkState m_state = LinkState::Created;
    CHostResolver m_resolver;
    CReadPump m_pump;
    // Received bytes plus the terminating NUL the view reads up to.
    std::vector<char> m_receive;
    bool m_peerClosed = false;
};
