#include "routing/ClusterUserRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"

CClusterUserRouter::CClusterUserRouter(CPortHandler& port)
    : CClusterUserRouter(port, DataTypeCode::ClusterUser) {}

CClusterUserRouter::CClusterUserRouter(CPortHandler& port, DataTypeCode type)
    : CRouter(port, type), m_parser(*this), m_formatter(*this, port.Host().Clock()) {}

std::string_view CClusterUserRouter::TakeIn(std::string_view line) {
    RecordOwnSpot(m_parser, line);
    return line;
}

bool CClusterUserRouter::FormatSpot(const SpotFields& spot) {
    return m_formatter.FormatClusseCommand(spot);
}

void CClusterUserRouter::FromSpotSource(SourceKind kind, std::string_view line,
                                        CPortHandler& source) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (!m_parser.Parse(kind, line, spot) || !FormatSpot(spot) || !Sends(spot)) {
        return;
    }
    SendFramed(m_formatter.Text(), source);
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
