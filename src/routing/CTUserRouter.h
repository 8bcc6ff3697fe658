#pragma once

#include "routing/CTRouter.h"

// The text side of the CT contest logger ("CT User"): a logger that reads a
// cluster through a COM port or a log file. Spots arrive as "DX de" lines,
// other text of user ports and direct-style text passes through, and the
// lines typed at the logger go to the cluster side unchanged.
class CCTUserRouter : public CCTRouter {
  public:
    explicit CCTUserRouter(CRouterPort& port);

  protected:
    // Refuses the lines of either CT side.
    void FromCTSide(const Spot& in, const CRouterPort& source) override;
    void Emit(std::string_view text, const CRouterPort& source, bool spotPacket) override;
};
