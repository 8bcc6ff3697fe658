#pragma once

#include "routing/NodeLink.h"
#include "routing/Router.h"
#include "spots/SpotFormatter.h"
#include "spots/SpotParser.h"

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
    explicit CClusterNodeRouter(CPortHandler& port);

    void FromMircUser(std::string_view line, CPortHandler& source) override;
    void FromClusterNode(std::string_view line, CPortHandler& source) override;
    void FromDirect(std::string_view line, CPortHandler& source) override;
    void FromCTNetwork(std::string_view line, CPortHandler& source) override;
    void FromCTUser(std::string_view line, CPortHandler& source) override;
    void OnLinkStart() override;
    bool HoldsLink() const override { return m_link.HasBegun(); }

  protected:
    // Parses a line of a user-side source and sends it as a PC11 frame.
    void FromSpotSource(SourceKind kind, std::string_view line, CPortHandler& source) override;
    std::string_view TakeIn(std::string_view line) override;
    bool Answer(std::string_view line) override;

  private:
    // Sends a parsed spot as a PC11 frame unless it looped or is a dupe.
    void SendPC11(const SpotFields& spot, const CPortHandler& source);

    CSpotParser m_parser;
    CSpotFormatter m_formatter;
    CNodeLink m_link;
};
