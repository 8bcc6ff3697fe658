#pragma once

#include <memory>
#include <string>

class CPortHandler;
class CSetupFile;
class IPortHost;
class IPortView;

// Builds the port of a kind, named by its "PortType" text (PortKinds).
// The document decides the kind from a stored "PortType"; the transports
// supply the real ports, tests a fake.
class IPortFactory {
  public:
    virtual ~IPortFactory() = default;

    // Reads the port's blocks from the setup; null for an unknown kind.
    virtual std::unique_ptr<CPortHandler> CreateFromSetup(const std::string& kind,
                                                          CSetupFile& setup, IPortHost& host,
                                                          IPortView& view) = 0;
    // A port with its default construction, to be set up by its dialog.
    virtual std::unique_ptr<CPortHandler> CreateNew(const std::string& kind, IPortHost& host,
                                                    IPortView& view) = 0;
};
