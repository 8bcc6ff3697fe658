#include "routing/CTRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "setup/SetupFile.h"

CCTRouter::CCTRouter(CPortHandler& port, DataTypeCode type)
    : CRouter(port, type), m_parser(*this), m_formatter(*this, port.Host().Clock()) {}

void CCTRouter::SendDxDe(const SpotFields& spot, const CPortHandler& source) {
    if (m_formatter.FormatDxDe(spot) && Sends(spot)) {
        Emit(m_formatter.Text(), source, true);
    }
}

// A spot becomes a "DX de" line; the other text of a user port passes as
// it is, that of an IRC or node port is dropped.
void CCTRouter::FromSpotSource(SourceKind kind, std::string_view line, CPortHandler& source) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(kind, line, spot)) {
        SendDxDe(spot, source);
    } else if ((kind == SourceKind::ClusterUser || kind == SourceKind::ClusseUser) &&
               SendsAsText(line)) {
        Emit(line, source, true);
    }
}

void CCTRouter::FromDirect(std::string_view line, CPortHandler& source) {
    if (!IsIgnorable(line)) {
        Emit(line, source, false);
    }
}
