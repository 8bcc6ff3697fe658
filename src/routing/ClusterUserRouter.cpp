#include "routing/ClusterUserRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"

CClusterUserRouter::CClusterUserRouter(CPortHandler& port)
    : CRouter(port), m_parser(*this), m_formatter(*this, port.Host().Clock()) {
    InputType = "Cluster User";
}

CClusterUserRouter::CClusterUserRouter(CSetupFile& setup, CPortHandler& port)
    : CClusterUserRouter(port) {
    ReadSettings(setup, Keys);
}

void CClusterUserRouter::SaveSettings(CSetupFile& setup) const { WriteSettings(setup, Keys); }

void CClusterUserRouter::Deliver(CRouter& destination, std::string_view line,
                                 CPortHandler& source) {
    destination.FromClusterUser(line, source);
}

std::string_view CClusterUserRouter::TakeIn(std::string_view line) {
    SpotFields spot;
    if (m_parser.ParseUserSpot(line, spot)) {
        IsDupe(spot);
    }
    return line;
}

bool CClusterUserRouter::FormatSpot(const SpotFields& spot) {
    return m_formatter.FormatClusseCommand(spot);
}

void CClusterUserRouter::PostSpot(std::string_view line, const CPortHandler& source,
                                  ParseFn parse) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (!(m_parser.*parse)(line, spot) || !FormatSpot(spot) || !Sends(spot)) {
        return;
    }
    SendFramed(m_formatter.Text(), source);
}

void CClusterUserRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseIrcSpot);
}

void CClusterUserRouter::FromClusterUser(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseUserSpot);
}

void CClusterUserRouter::FromClusseUser(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseClusseSpot);
}

void CClusterUserRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseNodeSpot);
}

void CClusterUserRouter::FromDirect(std::string_view line, CPortHandler& source) {
    SendFramed(line, source);
}

// CT network packets that begin with "A" carry text for the cluster; the
// second character belongs to the packet header.
void CClusterUserRouter::FromCTNetwork(std::string_view line, CPortHandler& source) {
    if (line.empty() || line.front() != 'A') {
        return;
    }
    SendFramed(line.size() < 3 ? std::string_view() : line.substr(2), source);
}

void CClusterUserRouter::FromCTUser(std::string_view line, CPortHandler& source) {
    if (!IsIgnorable(line)) {
        SendFramed(line, source);
    }
}
