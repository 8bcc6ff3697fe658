#pragma once

#include "routing/Router.h"
#include "routing/SpotFormatter.h"
#include "routing/SpotParser.h"

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
    explicit CCTRouter(CPortHandler& port);

    void FromMircUser(std::string_view line, CPortHandler& source) override;
    void FromClusterUser(std::string_view line, CPortHandler& source) override;
    void FromClusseUser(std::string_view line, CPortHandler& source) override;
    void FromClusterNode(std::string_view line, CPortHandler& source) override;
    void FromDirect(std::string_view line, CPortHandler& source) override;
    void SaveSettings(CSetupFile& setup) const override;

protected:
    static constexpr SettingKeys Keys{false, false, false, true, true, true};

    // Sends text on the own port. spotPacket: the text is a spot or the talk
    // of a user port, which the network side marks as such.
    virtual void Emit(std::string_view text, const CPortHandler& source, bool spotPacket) = 0;

private:
    using ParseFn = bool (CSpotParser::*)(std::string_view, SpotFields&);
    // A spot line of a spot-only source (IRC, node): "DX de" line or nothing.
    void PostSpot(std::string_view line, const CPortHandler& source, ParseFn parse);
    // A line of a user port: its spot as a "DX de" line, other text as it is.
    void PostUserLine(std::string_view line, const CPortHandler& source, ParseFn parse);
    // Formats a parsed spot and sends it unless it is a dupe.
    void SendDxDe(const SpotFields& spot, const CPortHandler& source);

    CSpotParser m_parser;
    CSpotFormatter m_formatter;
};
