#pragma once

#include "routing/JsonSpotWriter.h"
#include "routing/Router.h"

// The router of a port that carries spots as JSON objects, one a line: the
// web and broker ports, or a log file of JSON lines. Every spot routed to it
// that passes its filter, skimmer merging and dupe table goes out as one
// object (see CJsonSpotWriter) with the port's line ending; other text is
// not a spot and stays. Received lines are read as spot objects.
class CJsonSpotsRouter : public CRouter {
  public:
    explicit CJsonSpotsRouter(CRouterPort& port);

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    void SendSpot(const SpotFields& spot, const CRouterPort& source) override;

  private:
    CJsonSpotWriter m_writer;
};
