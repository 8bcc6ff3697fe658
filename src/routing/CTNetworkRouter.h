#pragma once

#include "routing/CTRouter.h"

// The packet side of the CT contest logger's network ("CT Network"), usually
// a UDP broadcast port.
//
// Every text goes out as one packet: the text, a checksum byte (the sum of
// all bytes before it, modulo 256, with bit 7 set) and a line feed. Spots and
// the talk of user ports carry the "B0" header:
//
//   B0DX de K1ABC:     14025.0  DL1XYZ       cq cq     ...     1234Z<sum><LF>
//
// A received packet is handed on without its last byte, the checksum, which
// is not verified. "A" packets reach the cluster user ports as text.
class CCTNetworkRouter : public CCTRouter {
  public:
    explicit CCTNetworkRouter(CRouterPort& port);

  protected:
    // Packets of another CT network port pass as direct text; CT User
    // lines are refused.
    void FromCTSide(const Spot& in, const CRouterPort& source) override;
    void Emit(std::string_view text, const CRouterPort& source, bool spotPacket) override;
    std::string_view TakeIn(std::string_view line) override;
};
