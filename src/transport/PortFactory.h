#pragma once

#include "port/IPortFactory.h"

// Builds the six port kinds of this program from their "PortType" kind:
// "CON" console, "COM" serial line, "TEL" telnet client, "CTE" UDP broadcast,
// "RXTEL" telnet server, "FILE" log file. A kind that is not built into the
// program gives none.
class CPortFactory : public IPortFactory {
  public:
    std::unique_ptr<CPortHandler> CreateFromSetup(const std::string& kind, CSetupFile& setup,
                                                  IPortHost& host, IPortView& view) override;
    std::unique_ptr<CPortHandler> CreateNew(const std::string& kind, IPortHost& host,
                                            IPortView& view) override;
};
