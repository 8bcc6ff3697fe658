#pragma once

#include "routing/WsjtxSpotMaker.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

class QTimer;
class QUdpSocket;

// Listens for the datagrams the digital-mode decoders (WSJT-X, JTDX, MSHV)
// send to a UDP server, and hands each one, read, to the spot maker.
//
// The host is an address of this machine (127.0.0.1, the decoders'
// default, or "::1") or a multicast group such as 224.0.0.1, which the
// decoders offer so that several programs can listen at once: the socket
// then binds the port on every address, shared with those programs, and
// joins the group on every interface that is up. Any number of decoders may
// send to one listener; the maker tells them apart by their ids.
//
// Collaborators: CWsjtxReader reads each datagram; the maker counts the
// refused ones and turns the rest into spots; the output shows the
// listener's own lines ("Cannot listen on 127.0.0.1:2237: The bound address
// is already in use"). Reading never blocks: datagrams are taken as they
// come, a bounded number per turn of the event loop. A one-second timer
// drives the maker's counts line while the socket is open.
class CWsjtxListener {
  public:
    static constexpr std::uint16_t DefaultPort = 2237;

    CWsjtxListener(CWsjtxSpotMaker& maker, IWsjtxOutput& output);
    ~CWsjtxListener();

    CWsjtxListener(const CWsjtxListener&) = delete;
    CWsjtxListener& operator=(const CWsjtxListener&) = delete;

    // Binds and listens; false, with a line naming host:port and the
    // system's reason, when it cannot. Port 0 takes a free port (tests).
    bool Open(const std::string& host, std::uint16_t port);
    void Close();

    bool IsOpen() const { return m_socket != nullptr; }
    std::uint16_t LocalPort() const;
    // Datagrams taken since Open, refused ones included.
    std::uint64_t Datagrams() const { return m_datagrams; }

  private:
    bool Fail(const std::string& endpoint, const std::string& reason);
    bool JoinGroup(const QHostAddress& group);
    void ReadDatagrams();

    // The context of a read queued for the next turn of the loop.
    QObject m_context;
    CWsjtxSpotMaker& m_maker;
    IWsjtxOutput& m_output;
    std::unique_ptr<QUdpSocket> m_socket;
    std::unique_ptr<QTimer> m_tick;
    std::unique_ptr<QUdpSocket> m_closedSocket;
    std::unique_ptr<QTimer> m_closedTick;
    QByteArray m_buffer;
    WsjtxMessage m_message;
    std::uint64_t m_datagrams = 0;
    bool m_readQueued = false;
};
