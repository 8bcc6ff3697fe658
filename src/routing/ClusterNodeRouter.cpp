#include "routing/ClusterNodeRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"

CClusterNodeRouter::CClusterNodeRouter(CPortHandler& port)
    : CRouter(port, DataTypeCode::ClusterNode), m_parser(*this),
      m_formatter(*this, port.Host().Clock()) {}

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

std::string_view CClusterNodeRouter::TakeIn(std::string_view line) {
    RecordOwnSpot(m_parser, line);
    return line;
}

void CClusterNodeRouter::SendPC11(const SpotFields& spot, const CPortHandler& source) {
    if (m_formatter.FormatPC11(spot) && Sends(spot)) {
        SendFramed(m_formatter.Text(), source);
    }
}

// User and Clusse spots; IRC and node lines have their own handlers.
void CClusterNodeRouter::FromSpotSource(SourceKind kind, std::string_view line,
                                        CPortHandler& source) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(kind, line, spot)) {
        SendPC11(spot, source);
    }
}

// A channel spot becomes a PC11 frame; a solar announcement of the channel's
// monitor becomes an AR19 frame (no dupe test); anything else is dropped.
void CClusterNodeRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(SourceKind::MircUser, line, spot)) {
        SendPC11(spot, source);
    } else if (m_formatter.FormatSolarFrame(line)) {
        SendFramed(m_formatter.Text(), source);
    }
}

// Spot frames are re-issued under this node's call and hop count; every
// other frame of the node protocol passes between node ports unchanged.
void CClusterNodeRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    if (line.empty()) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(SourceKind::ClusterNode, line, spot)) {
        SendPC11(spot, source);
    } else if (SendsAsText(line)) {
        SendFramed(line, source);
    }
}

void CClusterNodeRouter::FromDirect(std::string_view line, CPortHandler& source) {
    if (!line.empty()) {
        SendFramed(line, source);
    }
}

void CClusterNodeRouter::FromCTNetwork(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT Network to Node Backbone.");
}

void CClusterNodeRouter::FromCTUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT User to Node Backbone.");
}
