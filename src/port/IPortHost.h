#pragma once

#include <string>
#include <vector>

class CPortHandler;
class IClock;
class IEventLoop;
class IUiServices;

// What a port needs from the document that owns it.
//
// Responsibilities: the shared event loop, clock and UI services; the port
// list (to find the console, a master port, every router); and the two
// requests a port makes: "route my pending lines" (the processing request)
// and "carry out this port command" (a PortCommand id, e.g. connect).
// Implemented by the setup document; tests use a small fake host.
class IPortHost {
  public:
    virtual ~IPortHost() = default;

    virtual IEventLoop& Loop() = 0;
    virtual const IClock& Clock() const = 0;
    virtual IUiServices& Ui() = 0;

    // Every port in list order, including a port that is being added.
    virtual std::vector<CPortHandler*> PortList() const = 0;
    virtual bool IsPortNameUsed(const std::string& name) const = 0;

    virtual void PostPortData(CPortHandler& port) = 0;
    virtual void PostPortCommand(CPortHandler& port, int commandId) = 0;
};
