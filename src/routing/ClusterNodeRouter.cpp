#include "routing/ClusterNodeRouter.h"

#include "routing/RouterPort.h"

CClusterNodeRouter::CClusterNodeRouter(CRouterPort& port)
    : CRouter(port, DataTypeCode::ClusterNode), m_formatter(*this, port.Clock()) {}

void CClusterNodeRouter::OnLinkStart() {
    m_link.Begin(Port().IsCalled());
}

bool CClusterNodeRouter::Answer(std::string_view line) {
    m_link.SetHandshake(NodeHandshake == 1);
    const CNodeLink::Outcome out = m_link.Take(line, MyCall, Port().LoginDone());
    if (!out.answer.empty()) {
        SendFramed(out.answer, Port());
    }
    if (!out.report.empty()) {
        Port().PrintMessage(out.report);
    }
    return out.handled;
}

void CClusterNodeRouter::SendSpot(const SpotFields& spot, const CRouterPort& source) {
    BeginOutput(source);
    if (m_formatter.AppendPC11(spot, OutputBuffer()) && Sends(spot)) {
        SendOutput(source);
    }
}

void CClusterNodeRouter::Convert(const Spot& in, const CRouterPort& source) {
    if (in.source == SourceKind::CTNetwork) {
        Refuse(in.line, "Can't route CT Network to Node Backbone.");
    } else if (in.source == SourceKind::CTUser) {
        Refuse(in.line, "Can't route CT User to Node Backbone.");
    } else if (CarriesSpots(in.source)) {
        FromSpotSource(in, source);
    } else if (!in.line.empty()) {
        SendFramed(in.line, source);
    }
}

// Spot frames are re-issued under this node's call and hop count; every
// other frame of the node protocol passes between node ports unchanged. A
// solar announcement of an IRC channel's monitor becomes an AR19 frame (no
// dupe test).
void CClusterNodeRouter::FromSpotSource(const Spot& in, const CRouterPort& source) {
    const bool fromNode = in.source == SourceKind::ClusterNode;
    if (fromNode ? in.line.empty() : IsIgnorable(in.line)) {
        return;
    }
    SpotFields spot;
    if (SpotFor(in, spot)) {
        SendSpot(spot, source);
    } else if (fromNode) {
        if (SendsAsText(in.line)) {
            SendFramed(in.line, source);
        }
    } else if (in.source == SourceKind::MircUser && m_formatter.FormatSolarFrame(in.line)) {
        SendFramed(m_formatter.Text(), source);
    }
}
