#include "routing/ClusterUserRouter.h"

#include "routing/RouterPort.h"

CClusterUserRouter::CClusterUserRouter(CRouterPort& port)
    : CClusterUserRouter(port, DataTypeCode::ClusterUser) {}

CClusterUserRouter::CClusterUserRouter(CRouterPort& port, DataTypeCode type)
    : CRouter(port, type), m_formatter(*this, port.Clock()) {}

bool CClusterUserRouter::FormatSpot(const SpotFields& spot) {
    return m_formatter.FormatClusseCommand(spot);
}

void CClusterUserRouter::SendSpot(const SpotFields& spot, const CRouterPort& source) {
    if (FormatSpot(spot) && Sends(spot)) {
        SendFramed(m_formatter.Text(), source);
    }
}

void CClusterUserRouter::Convert(const Spot& in, const CRouterPort& source) {
    const std::string_view line = in.line;
    if (CarriesSpots(in.source)) {
        SpotFields spot;
        if (!IsIgnorable(line) && SpotFor(in, spot)) {
            SendSpot(spot, source);
        }
    } else if (in.source == SourceKind::CTNetwork) {
        // CT network packets that begin with "A" carry text for the cluster;
        // the second character belongs to the packet header.
        if (!line.empty() && line.front() == 'A') {
            SendFramed(line.size() < 3 ? std::string_view() : line.substr(2), source);
        }
    } else if (in.source != SourceKind::CTUser || !IsIgnorable(line)) {
        SendFramed(line, source);
    }
}
