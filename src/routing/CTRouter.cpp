#include "routing/CTRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "setup/SetupFile.h"

CCTRouter::CCTRouter(CPortHandler& port)
    : CRouter(port), m_parser(*this), m_formatter(*this, port.Host().Clock()) {}

void CCTRouter::SaveSettings(CSetupFile& setup) const { WriteSettings(setup, Keys); }

void CCTRouter::SendDxDe(const SpotFields& spot, const CPortHandler& source) {
    if (m_formatter.FormatDxDe(spot) && Sends(spot)) {
        Emit(m_formatter.Text(), source, true);
    }
}

void CCTRouter::PostSpot(std::string_view line, const CPortHandler& source, ParseFn parse) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if ((m_parser.*parse)(line, spot)) {
        SendDxDe(spot, source);
    }
}

void CCTRouter::PostUserLine(std::string_view line, const CPortHandler& source, ParseFn parse) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if ((m_parser.*parse)(line, spot)) {
        SendDxDe(spot, source);
    } else {
        Emit(line, source, true);
    }
}

void CCTRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseIrcSpot);
}

void CCTRouter::FromClusterUser(std::string_view line, CPortHandler& source) {
    PostUserLine(line, source, &CSpotParser::ParseUserSpot);
}

void CCTRouter::FromClusseUser(std::string_view line, CPortHandler& source) {
    PostUserLine(line, source, &CSpotParser::ParseClusseSpot);
}

void CCTRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    PostSpot(line, source, &CSpotParser::ParseNodeSpot);
}

void CCTRouter::FromDirect(std::string_view line, CPortHandler& source) {
    if (!IsIgnorable(line)) {
        Emit(line, source, false);
    }
}
