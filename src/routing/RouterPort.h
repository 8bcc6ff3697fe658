#pragma once

#include <string>
#include <string_view>

class IClock;

// What a router sees of its port, and of every other port it deals with
// (the source of a routed line, the trace port, a TNC master).
//
// Responsibilities: the port's name and TNC stream identity (the fields the
// setup file names), sending bytes on its link, a line in its window, the
// clock, and the few questions and requests of the link protocols: whether
// the port was called and its peer has logged in, and the TNC's reports that
// a stream was connected or disconnected.
//
// Collaborators: implemented by the port base; the router holds one and
// never learns what kind of transport is behind it.
class CRouterPort {
  public:
    enum TncRole { TncNone = 0, TncMaster = 1, TncSlave = 2 };

    virtual ~CRouterPort() = default;

    // Writes bytes to the link as they stand.
    virtual void SendText(std::string_view text) = 0;
    // "NAME: msg\n" into the port's window.
    virtual void PrintMessage(std::string_view msg) = 0;
    virtual const IClock& Clock() const = 0;
    // True for a port that is called (a server); it speaks first on a node
    // link.
    virtual bool IsCalled() const = 0;
    // True once the peer has finished the connect script (its login).
    virtual bool LoginDone() const = 0;
    // The TNC reports a caller on this port's stream: the connect script
    // takes the caller's call and starts over on a fresh connection.
    virtual void ReconnectAs(std::string_view call) = 0;
    // The TNC reports this port's stream disconnected.
    virtual void RequestDisconnect() = 0;

    // Fields the setup file names.
    std::string PortName;
    char StreamSW = '|';
    std::string PortStreamID = "A";
    int IsTNCPort = TncNone;

  protected:
    CRouterPort() = default;
    CRouterPort(const CRouterPort&) = default;
    CRouterPort& operator=(const CRouterPort&) = default;
};
