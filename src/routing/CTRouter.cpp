#include "routing/CTRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "setup/SetupFile.h"

CCTRouter::CCTRouter(CPortHandler& port, DataTypeCode type)
    : CRouter(port, type), m_parser(*this), m_formatter(*this, port.Host().Clock()) {}

void CCTRouter::SendDxDe(const SpotFields& spot, const CPortHandler& source) {
    if (m_formatter.FormatDxDe(spot) && !IsDupe(spot)) {
        Emit(m_formatter.Text(), source, true);
    }
}

void CCTRouter::PostSpot(std::string_view line, const CPortHandler& source, SourceKind kind) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(kind, line, spot)) {
        SendDxDe(spot, source);
    }
}

void CCTRouter::PostUserLine(std::string_view line, const CPortHandler& source, SourceKind kind) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(kind, line, spot)) {
        SendDxDe(spot, source);
    } else {
        Emit(line, source, true);
    }
}

void CCTRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, SourceKind::MircUser);
}

void CCTRouter::FromClusterUser(std::string_view line, CPortHandler& source) {
    PostUserLine(line, source, SourceKind::ClusterUser);
}

void CCTRouter::FromClusseUser(std::string_view line, CPortHandler& source) {
    PostUserLine(line, source, SourceKind::ClusseUser);
}

void CCTRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, SourceKind::ClusterNode);
}

void CCTRouter::FromDirect(std::string_view line, CPortHandler& source) {
    if (!IsIgnorable(line)) {
        Emit(line, source, false);
    }
}
