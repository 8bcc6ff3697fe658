#pragma once

#include "spots/SourceKind.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CRouterPort;
class CRouter;

// The data type codes stored as "InputType"; a router is built with its own.
enum class DataTypeCode {
    Command = 0,
    ClusterUser = 1,
    ClusterNode = 2,
    Direct = 3,
    CTNetwork = 4,
    CTUser = 5,
    MircUser = 6,
    ClusseUser = 7,
    PassThru = 8,
    SpiderUser = 9,
    // Spots as JSON objects, one a line: web and broker ports.
    JsonSpots = 10,
    // Reception reports of the PSK Reporter feed as spots; takes nothing.
    PskReporter = 11,
    // Spots from the decodes of digital-mode receivers; takes nothing.
    Wsjtx = 12,
};

// The router option keys, one bit each (RouterKeys keeps their stored order).
namespace RouterKey {
constexpr unsigned MyCall = 1u << 0;
constexpr unsigned HopsOut = 1u << 1;
constexpr unsigned AntiLoopPrefix = 1u << 2;
constexpr unsigned DupeLength = 1u << 3;
constexpr unsigned CRLFOption = 1u << 4;
constexpr unsigned BlockDashAtOption = 1u << 5;
constexpr unsigned StripAtPoundOption = 1u << 6;
constexpr unsigned OnlyPassSkimmerCQOption = 1u << 7;
constexpr unsigned NodeHandshake = 1u << 8;
// The spot filter, after every other key: the optional "CountryFile" line,
// then one "Filter" line per rule.
constexpr unsigned CountryFile = 1u << 9;
constexpr unsigned Filter = 1u << 10;
// Skimmer merging, after the filter lines and only when a port merges.
constexpr unsigned SkimmerMerge = 1u << 11;
// PSK Reporter's repeat interval, last, only when not the initial one.
constexpr unsigned PskRepeat = 1u << 12;
// What every data type that sends spots stores.
constexpr unsigned SpotFilter = CountryFile | Filter | SkimmerMerge;
// What every data type stores.
constexpr unsigned Flags = BlockDashAtOption | StripAtPoundOption | OnlyPassSkimmerCQOption;
constexpr unsigned All =
    MyCall | HopsOut | AntiLoopPrefix | DupeLength | CRLFOption | Flags | SpotFilter;
} // namespace RouterKey

// How the port setup dialog treats a data type.
struct DataTypeDialog {
    // Position in the dialog's list, which has its own order.
    int listed;
    // Which of "Hops", "MyCall", "AntiLoop Px" and "Node handshake" the
    // user may change (RouterKey bits; the dialog's rule, not the stored
    // keys).
    unsigned editable;
    // False for a type that carries bytes, not lines: "Dupes", "CR/LF" and
    // "Keep Alive Time" are read-only, and choosing the type clears the
    // keep-alive, the dupes and the TNC role.
    bool lineOptions;
    // Choosing the type puts its initial line ending into "CR/LF".
    bool setsLineEnding;
    // False for an input-only type: nothing is sent on its port, so the
    // options that shape what is sent (dupes, line ending, keep-alive, the
    // spotter flags, filters, skimmer merging) do nothing and are greyed.
    bool sends = true;
};

// One data type: everything the factory, the port base, the key handling
// and the setup dialog know about it. The router classes hold only the
// conversions.
struct DataType {
    DataTypeCode code;
    const char* name;
    // The kind of source its lines are for the destinations.
    SourceKind source;
    // The keys it reads and writes, in RouterKeys order.
    unsigned keys;
    // Of those, the ones a router built for a new port does not take from
    // the dialog (they keep their initial values until the port is edited).
    unsigned notOnCreate;
    int initialCrlf;
    DataTypeDialog dialog;
    std::unique_ptr<CRouter> (*create)(CRouterPort& port);

    constexpr int Code() const { return static_cast<int>(code); }
};

namespace DataTypes {

// The row of a code; every code has one.
const DataType& Of(DataTypeCode code);
// The row named exactly (case-sensitive); null for an unknown name.
const DataType* Named(std::string_view name);
// The row of a stored code; null for a code without a row.
const DataType* OfStored(int code);
// The names in the order the setup dialog lists them.
const std::vector<std::string>& DialogNames();

} // namespace DataTypes
