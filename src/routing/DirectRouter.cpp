#include "routing/DirectRouter.h"

#include "routing/RouterPort.h"
#include "text/AsciiText.h"

#include <algorithm>

namespace {

constexpr std::string_view ConnectedReport = "*** CONNECTED TO ";
constexpr std::string_view DisconnectedReport = "*** DISCONNECTED";
constexpr int MaxTrailingLineEnds = 3;

bool IsCallCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > ' ' && u < 0x7F;
}

} // namespace

CDirectRouter::CDirectRouter(CRouterPort& port) : CRouter(port, DataTypeCode::Direct) {}

void CDirectRouter::Convert(const Spot& in, const CRouterPort& source) {
    if (in.source == SourceKind::Direct && Port().IsTNCPort == CRouterPort::TncMaster) {
        SendToStream(in.line, source);
    } else if (in.source == SourceKind::Direct && Port().IsTNCPort == CRouterPort::TncSlave) {
        TakeFromStream(in.line, source);
    } else if (!in.line.empty()) {
        SendFramed(in.line, source);
    }
}

void CDirectRouter::SendToStream(std::string_view line, const CRouterPort& source) {
    if (line.empty()) {
        return;
    }
    for (int i = 0;
         i < MaxTrailingLineEnds && !line.empty() && (line.back() == '\r' || line.back() == '\n');
         ++i) {
        line.remove_suffix(1);
    }
    BeginOutput(source);
    OutputBuffer() += line;
    EndOutput(source);
    Port().SendText(OutputBuffer());
}

void CDirectRouter::TakeFromStream(std::string_view line, const CRouterPort& source) {
    ExtractStreamText(line, source.StreamSW);
    if (m_streamText.empty() || HandleStreamReport(m_streamText)) {
        return;
    }
    BeginOutput(source);
    OutputBuffer() += m_streamText;
    EndOutput(source);
    Port().SendText(OutputBuffer());
}

// The TNC shows a stream's text behind the switch character and the stream
// identifier ("|Ahello"); the text of a stream ends one character before the
// next switch character. An identifier that itself begins with the switch
// character may recur: each recurrence continues this stream's text, and any
// other switch sequence ends it, so no other stream's text is ever taken.
// A port without an identifier has no stream and takes nothing.
void CDirectRouter::ExtractStreamText(std::string_view line, char streamSw) {
    m_streamText.clear();
    const std::string& id = Port().PortStreamID;
    if (id.empty()) {
        return;
    }
    m_marker.assign(1, streamSw);
    m_marker += id;
    const std::size_t at = line.find(m_marker);
    if (at == std::string_view::npos) {
        return;
    }
    std::string_view rest = line.substr(at + m_marker.size());
    const bool recurs = id.front() == streamSw;
    for (;;) {
        const std::size_t f = rest.find(streamSw);
        if (f == std::string_view::npos) {
            m_streamText += rest;
            return;
        }
        if (f > 0) {
            m_streamText += rest.substr(0, f - 1);
        }
        rest.remove_prefix(f);
        if (!recurs || rest.substr(0, m_marker.size()) != m_marker) {
            return;
        }
        rest.remove_prefix(m_marker.size());
    }
}

bool CDirectRouter::HandleStreamReport(std::string_view text) {
    m_upper.assign(text);
    std::transform(m_upper.begin(), m_upper.end(), m_upper.begin(), ascii::Upper);
    CRouterPort& port = Port();
    const std::size_t connected = m_upper.find(ConnectedReport);
    if (connected != std::string::npos) {
        const std::size_t from = connected + ConnectedReport.size();
        std::size_t to = from;
        while (to < m_upper.size() && IsCallCharacter(m_upper[to])) {
            ++to;
        }
        port.ReconnectAs(std::string_view(m_upper).substr(from, to - from));
        return true;
    }
    if (m_upper.find(DisconnectedReport) != std::string::npos) {
        port.RequestDisconnect();
        return true;
    }
    return false;
}
