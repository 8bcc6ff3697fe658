#pragma once

#include "filters/SpotFilter.h"
#include "routing/DataType.h"
#include "routing/SkimmerMerger.h"
#include "spots/DupeTable.h"
#include "spots/RouterOptions.h"
#include "spots/Spot.h"
#include "spots/SpotFields.h"
#include "spots/SpotParser.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CRouterPort;
class CSetupFile;

// The abstract router of a port; the port's data type picks the concrete one.
//
// Responsibilities: the route list (destination routers, not owned) and the
// trace port; the road of one line its port hands over (OnLine: trace it,
// parse it once as this type's source kind sends it, record a spot in the
// own dupe table, answer it or hand the value to every destination); what
// the type makes of another port's line as a destination (Take); the output
// framing for the own port (TNC stream prefix, line terminator); the dupe
// table, the spot filter and the anti-loop mark.
//
// Collaborators: its own port through CRouterPort (send, print, the clock,
// the TNC identity), the other routers of the document (destinations), its
// row of the data type table (name, code, keys, source kind), the spot
// parser, and the formatter of the concrete types.
class CRouter : public RouterOptions {
  public:
    static constexpr int MaxRoutes = 32;

    // Takes name, code, initial line ending and keys from the type's row.
    CRouter(CRouterPort& port, DataTypeCode type);
    virtual ~CRouter();

    CRouter(const CRouter&) = delete;
    CRouter& operator=(const CRouter&) = delete;

    // A line (or, for a type that reads bytes, everything received) of the
    // own port, routed as the data type says.
    void OnLine(std::string_view line);
    // Hands text of the own port to every route as this type's source kind
    // sends it, without the own port's steps (trace, stream prefix, dupe
    // table, link protocol).
    void Route(std::string_view text);
    // Hands a spot value to every route, in list order: the way in for a
    // source that produces the fields itself.
    void Route(const Spot& spot);
    // The one entry of a destination: a line of another port's router, with
    // its spot when it is one. Pass-through bytes go only to a type that
    // reads bytes.
    void Take(const Spot& in, const CRouterPort& source);
    // True for a type that takes its port's bytes as they come, not lines.
    virtual bool ReadsBytes() const { return false; }

    virtual void SaveInputType(CSetupFile& setup) const;
    // Writes the keys of the type's row.
    virtual void SaveSettings(CSetupFile& setup) const;
    // A link, or a new caller of a server port, begins (the connect script
    // runs from its first step).
    virtual void OnLinkStart() {}
    // True while the router's own link protocol holds the link: received
    // text then no longer feeds the connect script.
    virtual bool HoldsLink() const { return false; }
    // True once the link's own protocol lets traffic through (a node link
    // with the handshake on: when it is up).
    virtual bool LinkReady() const { return true; }

    const DataType& Type() const { return m_type; }
    // The data type code stored as "InputType".
    int TypeCode() const { return m_type.Code(); }

    void Save(CSetupFile& setup) const;

    void BeginOutput(const CRouterPort& source);
    void EndOutput(const CRouterPort& source);
    std::string& OutputBuffer() { return m_output; }

    // What became of the spots about to go out on the own port.
    struct SpotCounts {
        long long passed = 0;
        long long filtered = 0;
        long long dupes = 0;
        bool operator==(const SpotCounts&) const = default;
    };
    const SpotCounts& Counts() const { return m_counts; }
    // "spots passed 12, filtered 3, dupes dropped 1"
    std::string CountsText() const;
    // On a port that merges skimmer spots, "skimmer reports 2304, merged
    // 212, held back 31, busted 9, re-spots 40, reduction 10.9:1"; else empty.
    std::string MergeCountsText() const;
    // True when the counts changed since the previous call.
    bool TakeCountsChange();

    CSpotFilter& Filter() { return m_filter; }
    const CSpotFilter& Filter() const { return m_filter; }
    // Replaces the filter as the port setup does; problems go to the port's
    // window.
    void SetFilter(const std::string& countryFile, const std::vector<std::string>& rules);

    // Skimmer merging after the filter, before the dupe table; nullopt
    // turns it off. Changed settings keep what the merger holds. Merged
    // spots show the skimmers' CQ zones when the port has a country file
    // of its own (the filter's "CountryFile").
    void SetSkimmerMerge(const std::optional<SkimmerMergeSettings>& settings);
    // The dialog's text of the key; empty turns merging off, a refused text
    // too (its message goes to the port's window).
    void SetSkimmerMerge(const std::string& text);
    std::optional<SkimmerMergeSettings> SkimmerMerge() const;
    // Null when the port does not merge.
    const CSkimmerMerger* Merger() const { return m_merger.get(); }
    // The once-a-second work: merged spots whose dwell is over go out.
    void Tick();

    void SetDupeLength(int n);
    int DupeLength() const { return m_dupes.Length(); }
    bool IsDupe(const SpotFields& spot);
    bool HasLoopMark(std::string_view comment) const;
    void AddLoopMark(std::string& comment) const;

    // Route table.
    void AddRoute(CRouter* router);
    void RemoveRoute(CRouter* router);
    CRouter* GetRoute(int i) const;
    int RouteCount() const { return m_routeCount; }
    CRouter* FindMasterRoute() const;
    // This router takes the place of old, which its port replaces: old's
    // routes and trace port, and old's place in its own and the others'
    // route lists.
    void CopyRoutesFrom(CRouter& old, const std::vector<CRouter*>& others);
    void SetTracePort(CRouterPort* port) { m_tracePort = port; }
    CRouterPort* GetTracePort() const { return m_tracePort; }
    void TraceIn(std::string_view line);
    void TraceOut(std::string_view text);

    CRouterPort& Port() const { return m_port; }

    // The data type name of the concrete router, e.g. "Cluster User".
    std::string InputType;

  protected:
    // What the type makes of a line of another port (pass-through bytes
    // only for a type that reads bytes).
    virtual void Convert(const Spot& in, const CRouterPort& source) = 0;

    // The fields of a routed spot as this router's spotter options leave
    // them; false when the line is no spot or the options refuse it.
    bool SpotFor(const Spot& in, SpotFields& spot) const;
    // The last step before a spot goes out on the own port: the filter, then
    // the dupe test (so a filtered spot takes no place in the dupe table),
    // counted. True when the spot goes out. On a port that merges, a skimmer
    // spot past the filter goes to the merger instead (false), and what the
    // merger lets out comes back through SendSpot, to the dupe test only.
    bool Sends(const SpotFields& spot);
    // Formats a spot as this type writes it and sends it when Sends says so;
    // every type that stores the filter keys overrides it.
    virtual void SendSpot(const SpotFields&, const CRouterPort&) {}
    // For a line about to go out as text because it could not be read as a
    // spot: one that looks like a spot would pass every filter that way, so
    // on a port with an accept rule it is counted as filtered and stays.
    bool SendsAsText(std::string_view line);

    // Hooks of OnLine.
    // What the destinations are given of a received line (before the TNC
    // prefix is skipped); the default hands the line on as it is.
    virtual std::string_view TakeIn(std::string_view line);
    // What the source reported of the spotter beyond the line TakeIn gave
    // (its locator, country, continent), added to that line's spot; the
    // views must live as long as the line's.
    virtual void AddReported(SpotFields&) const {}
    // A line the router answers by itself on its own link (after the TNC
    // prefix is skipped); true when it goes to no destination.
    virtual bool Answer(std::string_view) { return false; }
    // The type's own once-a-second work.
    virtual void OnTick() {}
    // All but Direct and PassThru skip the 2-character TNC stream prefix.
    virtual bool SkipsTncPrefix() const { return true; }

    // Frames text for the own port, sends it and traces it.
    void SendFramed(std::string_view text, const CRouterPort& source);
    // Sends and traces what was made in OutputBuffer() after BeginOutput,
    // with the line terminator: a formatter that writes there spares a copy
    // of every line.
    void SendOutput(const CRouterPort& source);
    // Writes a refusal into the own port's view, unless the line is empty or
    // led by CR or LF.
    void Refuse(std::string_view line, std::string_view message);
    static bool IsIgnorable(std::string_view line) {
        return line.empty() || line.front() == '\r' || line.front() == '\n';
    }

  private:
    // Parses text as this type's source kind sends it into m_spot.
    const Spot& Parse(std::string_view text);
    // Records a spot of the own port in the own dupe table, as the own
    // options see it.
    void RecordOwnSpot(const Spot& spot);
    // IsDupe of fields that may be those of the spot from, which then lends
    // its dupe key.
    bool IsDupe(const SpotFields& spot, const Spot* from);
    const CDupeKey& DupeKey(const SpotFields& spot, const Spot* from);
    // The fields of the spot being taken when spot is what SpotFor made of
    // them, else null (see CSpotFilter::Passes).
    const SpotFields* MadeOfTakenSpot(const SpotFields& spot);
    // Route, for a spot that carries the router's own facts.
    void RouteWithFacts(const Spot& spot);
    // Puts by in the place of old in the route list.
    void ReplaceRoute(const CRouter* old, CRouter* by);
    // The merger's output: the spot continues as if it had just passed the
    // filter, under the own port as its source.
    void SendMerged(const SpotFields& spot);
    // Hands the merger the zones of the port's country file, once for each
    // file the port names; a file that cannot be read is said once.
    void UpdateZoneLookup();

    CRouterPort& m_port;
    const DataType& m_type;
    std::string m_output;
    CDupeTable m_dupes;
    CSpotFilter m_filter;
    SpotCounts m_counts;
    SpotCounts m_countsTaken;
    std::unique_ptr<CSkimmerMerger> m_merger;
    std::string m_mergeCountsTaken;
    // The country file whose zones the merger was given; empty for none.
    std::string m_zoneCountryFile;
    bool m_sendingMerged = false;
    std::array<CRouter*, MaxRoutes> m_routes{};
    int m_routeCount = 0;
    CRouterPort* m_tracePort = nullptr;
    CSpotParser m_parser;
    Spot m_spot;
    // What the destinations' filters work out of the spot being routed.
    SpotFacts m_facts;
    // As a destination: the facts of the spot being taken, while it is.
    SpotFacts* m_takenFacts = nullptr;
    // The key of the spots this router routes (see Spot::dupeKey).
    CDupeKey m_spotKey;
    // As a destination: the spot being taken, while it is.
    const Spot* m_takenSpot = nullptr;
    // Where SpotFor last made fields, and of which spot: a filter takes the
    // facts of the spot being taken for them without a test.
    mutable const SpotFields* m_made = nullptr;
    mutable const Spot* m_madeFrom = nullptr;
    std::string m_trace;
    CDupeKey m_dupeKey;
};
