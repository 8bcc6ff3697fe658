#pragma once

#include "routing/ClusterUserRouter.h"

// A cluster user login whose node takes spots only with the plain user
// command ("Spider User"); otherwise the same as a Cluster User.
//
//   DX 14025.0 DL1XYZ cq cq  <MYCALL
class CSpiderUserRouter : public CClusterUserRouter {
  public:
    explicit CSpiderUserRouter(CRouterPort& port);

  protected:
    bool FormatSpot(const SpotFields& spot) override;
};
