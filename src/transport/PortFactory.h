#pragma once

#include "port/IPortFactory.h"

// Builds the port kinds of this program (the rows of PortKinds) from their
// "PortType" text, each by its own transport class. A kind that is not
// built into the program gives none.
class CPortFactory : public IPortFactory {
  public:
    std::unique_ptr<CPortHandler> CreateFromSetup(const std::string& kind, CSetupFile& setup,
                                                  IPortHost& host, IPortView& view) override;
    std::unique_ptr<CPortHandler> CreateNew(const std::string& kind, IPortHost& host,
                                            IPortView& view) override;
};
