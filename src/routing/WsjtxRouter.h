#pragma once

#include "routing/Router.h"

// The router of a port that makes spots of the decodes of digital-mode
// receivers. The port hands it each spot as a "DX de" line, which it
// routes as a cluster user's spot; it takes nothing, so every line routed
// to it is refused.
class CWsjtxRouter : public CRouter {
  public:
    explicit CWsjtxRouter(CRouterPort& port);

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
};
