#pragma once

#include "routing/ClusterUserRouter.h"

// A cluster user login on a node that shows spots in the Clusse column
// layout ("Clusse User"). As a destination it is a Cluster User; as a source
// it reads Clusse spot lines and announces itself as a Clusse source.
//
//   DX de K1ABC:     14025.0  DL1XYZ       1234Z cq cq<BEL>
class CClusseUserRouter : public CClusterUserRouter {
  public:
    explicit CClusseUserRouter(CRouterPort& port);
};
