#include "routing/CTRouter.h"

#include "routing/RouterPort.h"

CCTRouter::CCTRouter(CRouterPort& port, DataTypeCode type)
    : CRouter(port, type), m_formatter(*this, port.Clock()) {}

void CCTRouter::SendSpot(const SpotFields& spot, const CRouterPort& source) {
    if (m_formatter.FormatDxDe(spot) && Sends(spot)) {
        Emit(m_formatter.Text(), source, true);
    }
}

// A spot becomes a "DX de" line; the other text of a user port passes as
// it is, that of an IRC or node port is dropped.
void CCTRouter::Convert(const Spot& in, const CRouterPort& source) {
    if (in.source == SourceKind::CTNetwork || in.source == SourceKind::CTUser) {
        FromCTSide(in, source);
        return;
    }
    if (!CarriesSpots(in.source)) {
        FromDirect(in.line, source);
        return;
    }
    if (IsIgnorable(in.line)) {
        return;
    }
    SpotFields spot;
    if (SpotFor(in, spot)) {
        SendSpot(spot, source);
    } else if ((in.source == SourceKind::ClusterUser || in.source == SourceKind::ClusseUser) &&
               SendsAsText(in.line)) {
        Emit(in.line, source, true);
    }
}

void CCTRouter::FromDirect(std::string_view line, const CRouterPort& source) {
    if (!IsIgnorable(line)) {
        Emit(line, source, false);
    }
}
