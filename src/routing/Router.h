#pragma once

#include "filters/SpotFilter.h"
#include "routing/DataType.h"
#include "spots/DupeTable.h"
#include "spots/RouterOptions.h"
#include "spots/SpotFields.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CPortHandler;
class CSetupFile;
class CSpotParser;

// The abstract router of a port; the port's data type picks the concrete one.
//
// Responsibilities: the route list (destination routers, not owned) and the
// trace port; the road of one received line (ProcessInput: take a line, trace
// it, record a spot in the own dupe table, hand it to every destination); the
// output framing for the own port (TNC stream prefix, line terminator); the
// dupe table, the anti-loop mark, and the once-a-second work (keep-alive,
// port timeout, connect-script polling).
//
// Collaborators: its own port (sending, printing, the ring buffer), the other
// routers of the document (destinations), its row of the data type table
// (name, code, keys, the handler its lines go to), the spot parser and
// formatter of the concrete types.
class CRouter : public RouterOptions {
  public:
    static constexpr int MaxRoutes = 32;

    // Takes name, code, initial line ending and keys from the type's row.
    CRouter(CPortHandler& port, DataTypeCode type);
    virtual ~CRouter();

    CRouter(const CRouter&) = delete;
    CRouter& operator=(const CRouter&) = delete;

    // Destination handlers, one per kind of source. Those of the four
    // spot-bearing kinds hand the line to FromSpotSource unless the type
    // handles the kind itself.
    virtual void FromMircUser(std::string_view line, CPortHandler& source);
    virtual void FromClusterUser(std::string_view line, CPortHandler& source);
    virtual void FromClusseUser(std::string_view line, CPortHandler& source);
    virtual void FromClusterNode(std::string_view line, CPortHandler& source);
    virtual void FromCommand(std::string_view line, CPortHandler& source);
    virtual void FromDirect(std::string_view line, CPortHandler& source) = 0;
    virtual void FromCTNetwork(std::string_view line, CPortHandler& source) = 0;
    virtual void SaveInputType(CSetupFile& setup) const;
    // Writes the keys of the type's row.
    virtual void SaveSettings(CSetupFile& setup) const;
    virtual void FromCTUser(std::string_view line, CPortHandler& source) = 0;
    virtual void FromPassThru(std::string_view bytes, CPortHandler& source);
    // Routes one line of the own port's input; true when more are waiting.
    virtual bool ProcessInput();
    // A link, or a new caller of a server port, begins (the connect script
    // runs from its first step).
    virtual void OnLinkStart() {}
    // True while the router's own link protocol holds the link: received
    // text then no longer feeds the connect script.
    virtual bool HoldsLink() const { return false; }

    const DataType& Type() const { return m_type; }
    // The data type code stored as "InputType".
    int TypeCode() const { return m_type.Code(); }

    void Save(CSetupFile& setup) const;

    void BeginOutput(const CPortHandler& source);
    void EndOutput(const CPortHandler& source);
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
    // True when the counts changed since the previous call.
    bool TakeCountsChange();

    CSpotFilter& Filter() { return m_filter; }
    const CSpotFilter& Filter() const { return m_filter; }
    // Replaces the filter as the port setup does; problems go to the port's
    // window.
    void SetFilter(const std::string& countryFile, const std::vector<std::string>& rules);

    void SetDupeLength(int n);
    int DupeLength() const { return m_dupes.Length(); }
    bool IsDupe(const SpotFields& spot);
    bool HasLoopMark(std::string_view comment) const;
    void AddLoopMark(std::string& comment) const;

    void OnTimer();

    // Route table.
    void AddRoute(CRouter* router);
    void RemoveRoute(CRouter* router);
    CRouter* GetRoute(int i) const;
    int RouteCount() const { return m_routeCount; }
    CRouter* FindMasterRoute() const;
    void CopyRoutesFrom(CRouter& old);
    void SetTracePort(CPortHandler* port) { m_tracePort = port; }
    CPortHandler* GetTracePort() const { return m_tracePort; }
    void TraceIn(std::string_view line);
    void TraceOut(std::string_view text);

    CPortHandler& Port() const { return m_port; }
    bool IsIdle() const { return m_idle; }
    // A new link owes nothing to the silence of the previous one.
    void ForgetIdle() { m_idle = false; }

    // The data type name of the concrete router, e.g. "Cluster User".
    std::string InputType;

  protected:
    // A line of a spot-bearing source, for a type that converts every such
    // kind alike but for the layout, which the parser picks by kind. A type
    // that takes none of them overrides the four handlers instead.
    virtual void FromSpotSource(SourceKind kind, std::string_view line, CPortHandler& source);

    // The last step before a spot goes out on the own port: the filter, then
    // the dupe test (so a filtered spot takes no place in the dupe table),
    // counted. True when the spot goes out.
    bool Sends(const SpotFields& spot);

    // Hooks of the common ProcessInput.
    // Calls the destination handler of this type's source kind.
    virtual void Deliver(CRouter& destination, std::string_view line, CPortHandler& source);
    // What the destinations are given of a received line (before the TNC
    // prefix is skipped). Spot-bearing types record the line's spot in their
    // own dupe table here; the default hands the line on as it is.
    virtual std::string_view TakeIn(std::string_view line);
    // A line the router answers by itself on its own link (after the TNC
    // prefix is skipped); true when it goes to no destination.
    virtual bool Answer(std::string_view) { return false; }
    // All but Direct and PassThru skip the 2-character TNC stream prefix.
    virtual bool SkipsTncPrefix() const { return true; }

    // Records a spot of the own port's line in the own dupe table, parsed
    // as this type's source kind sends it; the result is not used.
    void RecordOwnSpot(CSpotParser& parser, std::string_view line);
    // Calls Deliver on every non-empty route, in list order.
    void DeliverToRoutes(std::string_view text);
    // The router took input: the port counts as active until the next
    // keep-alive.
    void ClearIdle() { m_idle = false; }

    // Frames text for the own port, sends it and traces it.
    void SendFramed(std::string_view text, const CPortHandler& source);
    // Writes a refusal into the own port's view, unless the line is empty or
    // led by CR or LF.
    void Refuse(std::string_view line, std::string_view message);
    static bool IsIgnorable(std::string_view line) {
        return line.empty() || line.front() == '\r' || line.front() == '\n';
    }

  private:
    CPortHandler& m_port;
    const DataType& m_type;
    std::string m_output;
    CDupeTable m_dupes;
    CSpotFilter m_filter;
    SpotCounts m_counts;
    SpotCounts m_countsTaken;
    std::array<CRouter*, MaxRoutes> m_routes{};
    int m_routeCount = 0;
    CPortHandler* m_tracePort = nullptr;
    bool m_idle = false;
    std::string m_trace;
    std::string m_key;
};
