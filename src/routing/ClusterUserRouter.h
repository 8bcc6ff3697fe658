#pragma once

#include "routing/Router.h"
#include "routing/SpotFormatter.h"
#include "routing/SpotParser.h"

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
    explicit CClusterUserRouter(CPortHandler& port);
    CClusterUserRouter(CSetupFile& setup, CPortHandler& port);

    void FromMircUser(std::string_view line, CPortHandler& source) override;
    void FromClusterUser(std::string_view line, CPortHandler& source) override;
    void FromClusseUser(std::string_view line, CPortHandler& source) override;
    void FromClusterNode(std::string_view line, CPortHandler& source) override;
    void FromDirect(std::string_view line, CPortHandler& source) override;
    void FromCTNetwork(std::string_view line, CPortHandler& source) override;
    void SaveSettings(CSetupFile& setup) const override;
    void FromCTUser(std::string_view line, CPortHandler& source) override;
    int TypeCode() const override { return 1; }

protected:
    static constexpr SettingKeys Keys{true, false, true, true, true, true};

    // Builds the spot command this type posts into the formatter's text.
    virtual bool FormatSpot(const SpotFields& spot);
    void Deliver(CRouter& destination, std::string_view line, CPortHandler& source) override;
    std::string_view TakeIn(std::string_view line) override;

    CSpotParser m_parser;
    CSpotFormatter m_formatter;

private:
    using ParseFn = bool (CSpotParser::*)(std::string_view, SpotFields&);
    // Parses a line of a spot source, formats it, drops dupes, sends it.
    void PostSpot(std::string_view line, const CPortHandler& source, ParseFn parse);
};
