#include "routing/DirectRouter.h"

#include "platform/CommandIds.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"
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

CDirectRouter::CDirectRouter(CPortHandler& port) : CRouter(port, DataTypeCode::Direct) {}

// Every spot-bearing source alike.
void CDirectRouter::FromSpotSource(SourceKind, std::string_view line, CPortHandler& source) {
    if (!line.empty()) {
        SendFramed(line, source);
    }
}

void CDirectRouter::FromCommand(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CDirectRouter::FromCTNetwork(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CDirectRouter::FromCTUser(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CDirectRouter::FromDirect(std::string_view line, CPortHandler& source) {
    switch (Port().IsTNCPort) {
    case CPortHandler::TncMaster:
        SendToStream(line, source);
        break;
    case CPortHandler::TncSlave:
        TakeFromStream(line, source);
        break;
    default:
        FromClusterUser(line, source);
        break;
    }
}

void CDirectRouter::SendToStream(std::string_view line, const CPortHandler& source) {
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

void CDirectRouter::TakeFromStream(std::string_view line, const CPortHandler& source) {
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
    CPortHandler& port = Port();
    const std::size_t connected = m_upper.find(ConnectedReport);
    if (connected != std::string::npos) {
        const std::size_t from = connected + ConnectedReport.size();
        std::size_t to = from;
        while (to < m_upper.size() && IsCallCharacter(m_upper[to])) {
            ++to;
        }
        port.Script().SetSubstitution(std::string_view(m_upper).substr(from, to - from));
        // Connecting again restarts the script for the new caller.
        if (port.IsConnected()) {
            port.Host().PostPortCommand(port, PortCommand::Disconnect);
        }
        port.Host().PostPortCommand(port, PortCommand::Connect);
        return true;
    }
    if (m_upper.find(DisconnectedReport) != std::string::npos) {
        port.Host().PostPortCommand(port, PortCommand::Disconnect);
        return true;
    }
    return false;
}
