#pragma once

#include "routing/NodeLink.h"
#include "routing/Router.h"
#include "spots/SpotFormatter.h"

// The router of a link to another DX cluster node ("Cluster Node").
//
// As a source it records PC11/AR17 spot frames in its own dupe table and
// hands every frame to its routes. As a destination it re-issues spots from
// IRC, user, Clusse and node ports as PC11 frames under its own call and hop
// count, turns IRC solar announcements into AR19 frames, passes other node
// frames and direct-style text through unchanged, and refuses CT and
// pass-through traffic. Its node link answers pings for its own call and,
// with "NodeHandshake" 1, the link's init frames (see CNodeLink).
//
//   PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <MYCALL^K1ABC^MYCALL^H99^~
class CClusterNodeRouter : public CRouter {
  public:
    explicit CClusterNodeRouter(CRouterPort& port);

    void OnLinkStart() override;
    bool HoldsLink() const override { return m_link.HasBegun(); }
    bool LinkReady() const override { return NodeHandshake != 1 || m_link.IsUp(); }

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    bool Answer(std::string_view line) override;
    // Sends a parsed spot as a PC11 frame unless it looped or is a dupe.
    void SendSpot(const SpotFields& spot, const CRouterPort& source) override;

  private:
    // A line of a spot source: a spot becomes a PC11 frame; another node
    // frame passes unchanged, an IRC solar announcement becomes an AR19
    // frame, and other talk is dropped.
    void FromSpotSource(const Spot& in, const CRouterPort& source);
    CSpotFormatter m_formatter;
    CNodeLink m_link;
};
