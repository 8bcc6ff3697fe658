#include "routing/Router.h"

#include "filters/FilterKeys.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "routing/RouterKeys.h"
#include "setup/SetupFile.h"
#include "spots/LoopMark.h"
#include "spots/SpotParser.h"

#include <algorithm>

namespace {

// Far above any real dupe window; a setup file asking for more would only
// exhaust memory.
constexpr int MaxDupeLength = 100000;

} // namespace

CRouter::CRouter(CPortHandler& port, DataTypeCode type)
    : m_port(port), m_type(DataTypes::Of(type)) {
    InputType = m_type.name;
    CRLFOption = m_type.initialCrlf;
    const auto size = static_cast<std::size_t>(std::max(0, port.BufferSize()));
    m_output.reserve(size);
}

CRouter::~CRouter() = default;

void CRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    FromSpotSource(SourceKind::MircUser, line, source);
}

void CRouter::FromClusterUser(std::string_view line, CPortHandler& source) {
    FromSpotSource(SourceKind::ClusterUser, line, source);
}

void CRouter::FromClusseUser(std::string_view line, CPortHandler& source) {
    FromSpotSource(SourceKind::ClusseUser, line, source);
}

void CRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    FromSpotSource(SourceKind::ClusterNode, line, source);
}

void CRouter::FromSpotSource(SourceKind, std::string_view, CPortHandler&) {}

void CRouter::FromCommand(std::string_view line, CPortHandler& source) {
    FromDirect(line, source);
}

void CRouter::FromPassThru(std::string_view bytes, CPortHandler&) {
    Refuse(bytes, "Can't route to anything from PassThru except PassThru.");
}

void CRouter::SaveInputType(CSetupFile& setup) const {
    setup.PutInt("InputType", TypeCode());
}

void CRouter::SaveSettings(CSetupFile& setup) const {
    RouterKeys::Write(*this, setup, m_type.keys);
}

void CRouter::Save(CSetupFile& setup) const {
    SaveInputType(setup);
    SaveSettings(setup);
}

bool CRouter::ProcessInput() {
    if (m_port.PendingLines() == 0) {
        return false;
    }
    ClearIdle();
    const std::string_view line = m_port.RingBuffer().GetLine();
    TraceIn(line);
    std::string_view routed = TakeIn(line);
    if (SkipsTncPrefix() && m_port.IsTNCPort != CPortHandler::TncNone) {
        routed.remove_prefix(std::min<std::size_t>(2, routed.size()));
    }
    if (!Answer(routed)) {
        DeliverToRoutes(routed);
    }
    m_port.OnInputTaken();
    return m_port.PendingLines() != 0;
}

void CRouter::DeliverToRoutes(std::string_view text) {
    // The count is read again for every destination: a handler may change
    // the list (a TNC report can reconnect a port).
    for (int i = 0; i < m_routeCount; ++i) {
        if (m_routes[static_cast<std::size_t>(i)] != nullptr) {
            Deliver(*m_routes[static_cast<std::size_t>(i)], text, m_port);
        }
    }
}

void CRouter::Deliver(CRouter& destination, std::string_view line, CPortHandler& source) {
    switch (m_type.source) {
    case SourceKind::MircUser:
        destination.FromMircUser(line, source);
        break;
    case SourceKind::ClusterUser:
        destination.FromClusterUser(line, source);
        break;
    case SourceKind::ClusseUser:
        destination.FromClusseUser(line, source);
        break;
    case SourceKind::ClusterNode:
        destination.FromClusterNode(line, source);
        break;
    case SourceKind::Command:
        destination.FromCommand(line, source);
        break;
    case SourceKind::Direct:
        destination.FromDirect(line, source);
        break;
    case SourceKind::CTNetwork:
        destination.FromCTNetwork(line, source);
        break;
    case SourceKind::CTUser:
        destination.FromCTUser(line, source);
        break;
    case SourceKind::PassThru:
        destination.FromPassThru(line, source);
        break;
    }
}

std::string_view CRouter::TakeIn(std::string_view line) {
    return line;
}

void CRouter::RecordOwnSpot(CSpotParser& parser, std::string_view line) {
    SpotFields spot;
    if (parser.Parse(m_type.source, line, spot)) {
        IsDupe(spot);
    }
}

void CRouter::BeginOutput(const CPortHandler& source) {
    m_output.clear();
    if (m_port.IsTNCPort == CPortHandler::TncMaster) {
        m_output += m_port.StreamSW;
        // The stream identifier always takes two places in the prefix; a
        // one-character identifier ends it early.
        for (std::size_t i = 0; i < 2 && i < source.PortStreamID.size(); ++i) {
            m_output += source.PortStreamID[i];
        }
    }
}

void CRouter::EndOutput(const CPortHandler&) {
    switch (CRLFOption) {
    case 1:
        m_output += '\r';
        break;
    case 2:
        m_output += '\n';
        break;
    case 3:
        m_output += "\r\n";
        break;
    default:
        break;
    }
}

void CRouter::SetDupeLength(int n) {
    const int used = std::clamp(n, 0, MaxDupeLength);
    if (used != n) {
        m_port.PrintMessage("DupeLength " + std::to_string(n) + " is out of range, using " +
                            std::to_string(used));
    }
    m_dupes.SetLength(used);
}

bool CRouter::IsDupe(const SpotFields& spot) {
    if (OnlyPassSkimmerCQOption == 1 && !spot.Spotter.empty() && spot.Spotter.back() == '#' &&
        spot.Comment.find("CQ") == std::string_view::npos) {
        return true;
    }
    if (m_dupes.Length() == 0) {
        return false;
    }
    m_key.clear();
    m_key += spot.Frequency;
    m_key += ' ';
    m_key += spot.DxCall;
    // The table compares and stores keys in upper case.
    return m_dupes.CheckAndRecord(m_key);
}

bool CRouter::Sends(const SpotFields& spot) {
    if (!m_filter.Passes(spot)) {
        ++m_counts.filtered;
        return false;
    }
    if (IsDupe(spot)) {
        ++m_counts.dupes;
        return false;
    }
    ++m_counts.passed;
    return true;
}

bool CRouter::SendsAsText(std::string_view line) {
    if (!m_filter.HasAcceptRule() || !CSpotParser::LooksLikeSpot(line)) {
        return true;
    }
    ++m_counts.filtered;
    return false;
}

std::string CRouter::CountsText() const {
    return "spots passed " + std::to_string(m_counts.passed) + ", filtered " +
           std::to_string(m_counts.filtered) + ", dupes dropped " + std::to_string(m_counts.dupes);
}

bool CRouter::TakeCountsChange() {
    const bool changed = m_counts != m_countsTaken;
    m_countsTaken = m_counts;
    return changed;
}

void CRouter::SetFilter(const std::string& countryFile, const std::vector<std::string>& rules) {
    CFilterKeys::Replace(m_filter, countryFile, rules,
                         [this](std::string_view line) { m_port.PrintMessage(line); });
}

bool CRouter::HasLoopMark(std::string_view comment) const {
    return ::HasLoopMark(comment, *this);
}

void CRouter::AddLoopMark(std::string& comment) const {
    ::AddLoopMark(comment, *this);
}

void CRouter::OnTimer() {
    if (!m_port.IsConnected()) {
        return;
    }
    if (m_port.KeepAliveDue()) {
        if (m_idle && m_port.IsConnected() && m_port.Script().AutoReconnectArmed()) {
            m_port.PrintMessage("Port Timeout, Disconnecting port");
            m_port.Disconnect();
            // The link is closed: neither a keep-alive nor a script step can
            // go out on it any more.
            return;
        }
        BeginOutput(m_port);
        EndOutput(m_port);
        m_port.SendText(m_output);
        m_idle = true;
    }
    // Every step with an empty prompt is answered now, one after the other;
    // the script has ten steps, so this ends.
    for (int i = 0; i <= 10 && m_port.RunScript(""); ++i) {
    }
}

void CRouter::AddRoute(CRouter* router) {
    for (int i = 0; i < m_routeCount; ++i) {
        if (m_routes[static_cast<std::size_t>(i)] == router) {
            return;
        }
    }
    if (m_routeCount >= MaxRoutes) {
        return;
    }
    m_routes[static_cast<std::size_t>(m_routeCount++)] = router;
}

void CRouter::RemoveRoute(CRouter* router) {
    for (int i = 0; i < m_routeCount; ++i) {
        if (m_routes[static_cast<std::size_t>(i)] != router) {
            continue;
        }
        for (int k = i; k + 1 < m_routeCount; ++k) {
            m_routes[static_cast<std::size_t>(k)] = m_routes[static_cast<std::size_t>(k + 1)];
        }
        --m_routeCount;
        m_routes[static_cast<std::size_t>(m_routeCount)] = nullptr;
        return;
    }
}

CRouter* CRouter::GetRoute(int i) const {
    return i >= 0 && i < m_routeCount ? m_routes[static_cast<std::size_t>(i)] : nullptr;
}

CRouter* CRouter::FindMasterRoute() const {
    for (int i = 0; i < m_routeCount; ++i) {
        CRouter* r = m_routes[static_cast<std::size_t>(i)];
        if (r != nullptr && r->Port().IsTNCPort == CPortHandler::TncMaster) {
            return r;
        }
    }
    return nullptr;
}

void CRouter::CopyRoutesFrom(CRouter& old) {
    m_routes = old.m_routes;
    m_routeCount = old.m_routeCount;
    m_tracePort = old.m_tracePort;
    auto replace = [&old, this](CRouter& r) {
        for (int i = 0; i < r.m_routeCount; ++i) {
            if (r.m_routes[static_cast<std::size_t>(i)] == &old) {
                r.m_routes[static_cast<std::size_t>(i)] = this;
            }
        }
    };
    replace(*this);
    for (CPortHandler* p : m_port.Host().PortList()) {
        if (p != nullptr && p->Router() != nullptr && p->Router() != &old) {
            replace(*p->Router());
        }
    }
}

void CRouter::TraceIn(std::string_view line) {
    if (m_tracePort == nullptr) {
        return;
    }
    m_trace.clear();
    m_trace += "TRACE: ";
    m_trace += m_port.PortName;
    m_trace += '>';
    m_trace += line;
    m_trace += '\n';
    m_tracePort->SendText(m_trace);
}

void CRouter::TraceOut(std::string_view text) {
    if (m_tracePort == nullptr) {
        return;
    }
    m_trace.clear();
    m_trace += "TRACE: ";
    m_trace += m_port.PortName;
    m_trace += '<';
    m_trace += text;
    m_trace += '\n';
    m_tracePort->SendText(m_trace);
}

void CRouter::SendFramed(std::string_view text, const CPortHandler& source) {
    BeginOutput(source);
    m_output += text;
    EndOutput(source);
    m_port.SendText(m_output);
    TraceOut(m_output);
}

void CRouter::Refuse(std::string_view line, std::string_view message) {
    if (!IsIgnorable(line)) {
        m_port.PrintMessage(message);
    }
}
