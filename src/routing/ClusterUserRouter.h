#pragma once

#include "routing/Router.h"
#include "spots/SpotFormatter.h"

// The router of a port logged in to a DX cluster node as an ordinary user
// ("Cluster User").
//
// As a source it records the "DX de" spots the node shows in its own dupe
// table and hands every line to its routes. As a destination it posts spots
// from IRC, user, Clusse and node ports with the spotter command, passes
// direct-style text through, takes the text of CT network "A" packets, and
// refuses pass-through bytes.
//
//   DX/K1ABC 14025.0 DL1XYZ cq cq  <MYCALL
//
// "Spider User" and "Clusse User" are variants: see CSpiderUserRouter and
// CClusseUserRouter.
class CClusterUserRouter : public CRouter {
  public:
    explicit CClusterUserRouter(CRouterPort& port);

  protected:
    // The variants of this type.
    CClusterUserRouter(CRouterPort& port, DataTypeCode type);
    // Builds the spot command this type posts into the formatter's text.
    virtual bool FormatSpot(const SpotFields& spot);
    // A spot is formatted, deduped and sent; the other lines of a spot
    // source are dropped, direct-style text passes.
    void Convert(const Spot& in, const CRouterPort& source) override;
    void SendSpot(const SpotFields& spot, const CRouterPort& source) override;

    CSpotFormatter m_formatter;
};
