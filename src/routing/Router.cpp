#include "routing/Router.h"

#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"
#include "filters/FilterKeys.h"
#include "routing/RouterKeys.h"
#include "routing/RouterPort.h"
#include "routing/SkimmerMergeSetup.h"
#include "setup/SetupFile.h"
#include "spots/LoopMark.h"
#include "spots/SkimmerComment.h"
#include "spots/SpotterOptions.h"

#include <algorithm>

namespace {

// Far above any real dupe window; a setup file asking for more would only
// exhaust memory.
constexpr int MaxDupeLength = 100000;

} // namespace

CRouter::CRouter(CRouterPort& port, DataTypeCode type) : m_port(port), m_type(DataTypes::Of(type)) {
    InputType = m_type.name;
    CRLFOption = m_type.initialCrlf;
    m_spot.source = m_type.source;
    m_spot.facts = &m_facts;
    m_spot.dupeKey = &m_spotKey;
}

CRouter::~CRouter() = default;

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

void CRouter::OnLine(std::string_view line) {
    TraceIn(line);
    const std::string_view taken = TakeIn(line);
    std::string_view routed = taken;
    if (SkipsTncPrefix() && m_port.IsTNCPort != CRouterPort::TncNone) {
        routed.remove_prefix(std::min<std::size_t>(2, routed.size()));
    }
    // The own dupe table sees the line as it came, stream prefix and all;
    // without a prefix that is the one parse the destinations get too.
    if (routed.size() != taken.size()) {
        RecordOwnSpot(Parse(taken));
        Parse(routed);
    } else {
        RecordOwnSpot(Parse(routed));
    }
    if (m_spot.isSpot) {
        AddReported(m_spot.fields);
    }
    if (!Answer(routed)) {
        Route(m_spot);
    }
}

void CRouter::Route(std::string_view text) {
    Route(Parse(text));
}

const Spot& CRouter::Parse(std::string_view text) {
    m_spot.line = text;
    // The key views the parser's buffer, which this parse reuses.
    m_spotKey.Forget();
    // The empty line after every CR LF is no spot; it costs no parse.
    m_spot.isSpot = !text.empty() && CarriesSpots(m_spot.source) &&
                    m_parser.Parse(m_spot.source, text, m_spot.fields);
    return m_spot;
}

void CRouter::RecordOwnSpot(const Spot& spot) {
    SpotFields own;
    if (SpotFor(spot, own)) {
        IsDupe(own, &spot);
    }
}

bool CRouter::SpotFor(const Spot& in, SpotFields& spot) const {
    if (!in.isSpot) {
        return false;
    }
    spot = in.fields;
    m_made = &spot;
    m_madeFrom = &in;
    return SpotterOptions::Apply(spot, *this);
}

void CRouter::Route(const Spot& spot) {
    // The destinations share what their filters work out of this spot;
    // nothing of the one before may count for it.
    m_facts.Reset();
    if (spot.facts != &m_facts) {
        Spot routed = spot;
        routed.facts = &m_facts;
        // Whatever memory the fields view, it may have held another spot
        // at the same places.
        routed.dupeKey = &m_spotKey;
        m_spotKey.Forget();
        RouteWithFacts(routed);
        return;
    }
    RouteWithFacts(spot);
}

void CRouter::RouteWithFacts(const Spot& spot) {
    // The count is read again for every destination: a handler may change
    // the list.
    for (int i = 0; i < m_routeCount; ++i) {
        if (m_routes[static_cast<std::size_t>(i)] != nullptr) {
            m_routes[static_cast<std::size_t>(i)]->Take(spot, m_port);
        }
    }
}

void CRouter::Take(const Spot& in, const CRouterPort& source) {
    if (in.source == SourceKind::PassThru && !ReadsBytes()) {
        Refuse(in.line, "Can't route to anything from PassThru except PassThru.");
        return;
    }
    SpotFacts* const outer = m_takenFacts;
    const Spot* const outerSpot = m_takenSpot;
    m_takenFacts = in.facts;
    m_takenSpot = &in;
    Convert(in, source);
    m_takenFacts = outer;
    m_takenSpot = outerSpot;
}

std::string_view CRouter::TakeIn(std::string_view line) {
    return line;
}

void CRouter::BeginOutput(const CRouterPort& source) {
    m_output.clear();
    if (m_port.IsTNCPort == CRouterPort::TncMaster) {
        m_output += m_port.StreamSW;
        // The stream identifier always takes two places in the prefix; a
        // one-character identifier ends it early.
        for (std::size_t i = 0; i < 2 && i < source.PortStreamID.size(); ++i) {
            m_output += source.PortStreamID[i];
        }
    }
}

void CRouter::EndOutput(const CRouterPort&) {
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
    return IsDupe(spot, m_takenSpot);
}

bool CRouter::IsDupe(const SpotFields& spot, const Spot* from) {
    if (OnlyPassSkimmerCQOption == 1 && !spot.Spotter.empty() && spot.Spotter.back() == '#' &&
        spot.Comment.find("CQ") == std::string_view::npos) {
        return true;
    }
    if (m_dupes.Length() == 0) {
        return false;
    }
    return m_dupes.CheckAndRecord(DupeKey(spot, from));
}

const CDupeKey& CRouter::DupeKey(const SpotFields& spot, const Spot* from) {
    // Fields that view the very frequency and call of the spot being routed
    // share its key with every other router that checks them; any other
    // fields (made by this router, or a merged spot) get a key of their own.
    if (from != nullptr && from->dupeKey != nullptr &&
        spot.Frequency.data() == from->fields.Frequency.data() &&
        spot.Frequency.size() == from->fields.Frequency.size() &&
        spot.DxCall.data() == from->fields.DxCall.data() &&
        spot.DxCall.size() == from->fields.DxCall.size()) {
        CDupeKey& shared = *from->dupeKey;
        if (!shared.IsOf(spot.Frequency, spot.DxCall)) {
            shared.Set(spot.Frequency, spot.DxCall);
        }
        return shared;
    }
    m_dupeKey.Set(spot.Frequency, spot.DxCall);
    return m_dupeKey;
}

bool CRouter::Sends(const SpotFields& spot) {
    if (!m_sendingMerged) {
        if (!m_filter.PassesEverything() &&
            !m_filter.Passes(spot, m_takenFacts, MadeOfTakenSpot(spot))) {
            ++m_counts.filtered;
            return false;
        }
        if (m_merger != nullptr && IsSkimmerSpot(spot)) {
            m_merger->Offer(spot);
            return false;
        }
    }
    if (IsDupe(spot)) {
        ++m_counts.dupes;
        return false;
    }
    ++m_counts.passed;
    return true;
}

const SpotFields* CRouter::MadeOfTakenSpot(const SpotFields& spot) {
    // Fields SpotFor made of the spot being taken are its fields after the
    // spotter options: every router hands them on unchanged (as const) to
    // Sends. Once asked, they count no more, so that other fields at the
    // same place later never pass for them.
    // m_madeFrom is never null once set, so an equal m_takenSpot is not.
    const bool made = &spot == m_made && m_madeFrom == m_takenSpot;
    m_made = nullptr;
    return made ? &m_takenSpot->fields : nullptr;
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

std::string CRouter::MergeCountsText() const {
    return m_merger != nullptr ? m_merger->CountsText() : std::string();
}

bool CRouter::TakeCountsChange() {
    std::string mergeCounts = MergeCountsText();
    const bool changed = m_counts != m_countsTaken || mergeCounts != m_mergeCountsTaken;
    m_countsTaken = m_counts;
    m_mergeCountsTaken = std::move(mergeCounts);
    return changed;
}

void CRouter::SetSkimmerMerge(const std::optional<SkimmerMergeSettings>& settings) {
    if (!settings) {
        m_merger.reset();
        m_zoneCountryFile.clear();
        return;
    }
    if (m_merger == nullptr) {
        m_merger = std::make_unique<CSkimmerMerger>(
            m_port.Clock(), [this](const SpotFields& spot) { SendMerged(spot); },
            [this](std::string_view line) { m_port.PrintMessage(line); });
    }
    m_merger->SetSettings(*settings);
    UpdateZoneLookup();
}

void CRouter::UpdateZoneLookup() {
    const std::string& path = m_filter.CountryFile();
    if (m_merger == nullptr || path == m_zoneCountryFile) {
        return;
    }
    m_zoneCountryFile = path;
    if (path.empty()) {
        m_merger->SetZoneLookup({});
        return;
    }
    std::string error;
    std::shared_ptr<const CCountryFile> file = CCountryFileCache::Get(path, error);
    if (file == nullptr) {
        m_merger->SetZoneLookup({});
        m_port.PrintMessage("Skimmer merging shows no zones, " + error);
        return;
    }
    m_merger->SetZoneLookup(
        [file = std::move(file)](std::string_view call) { return file->CqZoneOf(call); });
}

void CRouter::SetSkimmerMerge(const std::string& text) {
    if (text.empty()) {
        SetSkimmerMerge(std::nullopt);
        return;
    }
    SetSkimmerMerge(CSkimmerMergeSetup::Parse(
        text, "", [this](std::string_view line) { m_port.PrintMessage(line); }));
}

std::optional<SkimmerMergeSettings> CRouter::SkimmerMerge() const {
    if (m_merger == nullptr) {
        return std::nullopt;
    }
    return m_merger->Settings();
}

void CRouter::Tick() {
    if (m_merger != nullptr) {
        m_merger->Tick();
    }
    OnTick();
}

void CRouter::SendMerged(const SpotFields& spot) {
    const bool outer = m_sendingMerged;
    m_sendingMerged = true;
    SendSpot(spot, m_port);
    m_sendingMerged = outer;
}

void CRouter::SetFilter(const std::string& countryFile, const std::vector<std::string>& rules) {
    CFilterKeys::Replace(m_filter, countryFile, rules,
                         [this](std::string_view line) { m_port.PrintMessage(line); });
    UpdateZoneLookup();
}

bool CRouter::HasLoopMark(std::string_view comment) const {
    return ::HasLoopMark(comment, *this);
}

void CRouter::AddLoopMark(std::string& comment) const {
    ::AddLoopMark(comment, *this);
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
        if (r != nullptr && r->Port().IsTNCPort == CRouterPort::TncMaster) {
            return r;
        }
    }
    return nullptr;
}

void CRouter::CopyRoutesFrom(CRouter& old, const std::vector<CRouter*>& others) {
    m_routes = old.m_routes;
    m_routeCount = old.m_routeCount;
    m_tracePort = old.m_tracePort;
    ReplaceRoute(&old, this);
    for (CRouter* r : others) {
        if (r != nullptr && r != &old && r != this) {
            r->ReplaceRoute(&old, this);
        }
    }
}

void CRouter::ReplaceRoute(const CRouter* old, CRouter* by) {
    for (int i = 0; i < m_routeCount; ++i) {
        if (m_routes[static_cast<std::size_t>(i)] == old) {
            m_routes[static_cast<std::size_t>(i)] = by;
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

void CRouter::SendFramed(std::string_view text, const CRouterPort& source) {
    BeginOutput(source);
    m_output += text;
    SendOutput(source);
}

void CRouter::SendOutput(const CRouterPort& source) {
    EndOutput(source);
    m_port.SendText(m_output);
    TraceOut(m_output);
}

void CRouter::Refuse(std::string_view line, std::string_view message) {
    if (!IsIgnorable(line)) {
        m_port.PrintMessage(message);
    }
}
