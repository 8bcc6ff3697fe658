#pragma once

#include "routing/Router.h"
#include "spots/SpotFormatter.h"

// What the two routers of the CT contest logger share: as destinations they
// show spots from every spot source as "DX de" lines, let the other text of
// user ports and direct-style text through, and refuse pass-through bytes.
// The concrete types frame the result (a network packet or a text line) and
// decide about traffic from the CT side.
//
//   DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z
//
// Neither stores "MyCall", "AntiLoopPrefix" or "HopsOut"; the "DX de" lines
// carry no anti-loop mark.
class CCTRouter : public CRouter {
  public:
    CCTRouter(CRouterPort& port, DataTypeCode type);

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    // Traffic of the CT side (CT Network or CT User ports), which the
    // concrete types take or refuse.
    virtual void FromCTSide(const Spot& in, const CRouterPort& source) = 0;
    // Direct-style text: sent unless empty or led by CR or LF.
    void FromDirect(std::string_view line, const CRouterPort& source);
    // Sends text on the own port. spotPacket: the text is a spot or the talk
    // of a user port, which the network side marks as such.
    virtual void Emit(std::string_view text, const CRouterPort& source, bool spotPacket) = 0;
    // Formats a parsed spot and sends it unless it is a dupe.
    void SendSpot(const SpotFields& spot, const CRouterPort& source) override;

  private:
    CSpotFormatter m_formatter;
};
