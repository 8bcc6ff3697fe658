#include "routing/DataType.h"

#include "routing/CTNetworkRouter.h"
#include "routing/CTUserRouter.h"
#include "routing/ClusseUserRouter.h"
#include "routing/ClusterNodeRouter.h"
#include "routing/ClusterUserRouter.h"
#include "routing/CommandRouter.h"
#include "routing/DirectRouter.h"
#include "routing/JsonSpotsRouter.h"
#include "routing/MircUserRouter.h"
#include "routing/PassThruRouter.h"
#include "routing/PskReporterRouter.h"
#include "routing/SpiderUserRouter.h"
#include "routing/WsjtxRouter.h"

#include <algorithm>
#include <array>

namespace {

template <class T> std::unique_ptr<CRouter> Make(CRouterPort& port) {
    return std::make_unique<T>(port);
}

using namespace RouterKey;
using Code = DataTypeCode;
using Source = SourceKind;

constexpr unsigned LineKeys = CRLFOption | Flags;
constexpr unsigned UserKeys = MyCall | AntiLoopPrefix | DupeLength | LineKeys | SpotFilter;
constexpr unsigned UserEditable = MyCall | AntiLoopPrefix;

// In code order (codes may leave gaps). The user-side logins read and write the same keys, but
// the dialog lets only Cluster User and Spider User change the call and
// prefix, and only the call of an IRC target.
constexpr std::array<DataType, 13> Types = {{
    {Code::Command,
     "Command",
     Source::Command,
     LineKeys,
     0,
     3,
     {0, 0, true, false},
     &Make<CCommandRouter>},
    {Code::ClusterUser,
     "Cluster User",
     Source::ClusterUser,
     UserKeys,
     0,
     3,
     {1, UserEditable, true, false},
     &Make<CClusterUserRouter>},
    {Code::ClusterNode,
     "Cluster Node",
     Source::ClusterNode,
     All | NodeHandshake,
     0,
     3,
     {2, HopsOut | UserEditable | NodeHandshake, true, false},
     &Make<CClusterNodeRouter>},
    {Code::Direct,
     "Direct",
     Source::Direct,
     LineKeys,
     0,
     3,
     {5, 0, true, false},
     &Make<CDirectRouter>},
    // Packets end with their own line feed, so the line ending starts at 0.
    // CT Network keeps a dupe table: it stores "DupeLength", and an edit of
    // the port applies the dialog's size. Only a router built for a new port
    // takes no size from the dialog and starts without one, as new CT
    // Network ports always have.
    {Code::CTNetwork,
     "CT Network",
     Source::CTNetwork,
     DupeLength | LineKeys | SpotFilter,
     DupeLength,
     0,
     {3, 0, true, true},
     &Make<CCTNetworkRouter>},
    {Code::CTUser,
     "CT User",
     Source::CTUser,
     DupeLength | LineKeys | SpotFilter,
     0,
     3,
     {4, 0, true, false},
     &Make<CCTUserRouter>},
    {Code::MircUser,
     "MIRC User",
     Source::MircUser,
     UserKeys,
     0,
     3,
     {6, MyCall, true, false},
     &Make<CMircUserRouter>},
    {Code::ClusseUser,
     "Clusse User",
     Source::ClusseUser,
     UserKeys,
     0,
     3,
     {7, 0, true, false},
     &Make<CClusseUserRouter>},
    {Code::PassThru,
     "PassThru",
     Source::PassThru,
     Flags,
     0,
     3,
     {8, 0, false, false},
     &Make<CPassThruRouter>},
    {Code::SpiderUser,
     "Spider User",
     Source::ClusterUser,
     UserKeys,
     0,
     3,
     {9, UserEditable, true, false},
     &Make<CSpiderUserRouter>},
    // One object a line, so the line ending starts as a bare line feed
    // (JSON lines in a log file).
    {Code::JsonSpots,
     "JSON Spots",
     Source::JsonSpots,
     DupeLength | LineKeys | SpotFilter,
     0,
     2,
     {11, 0, true, false},
     &Make<CJsonSpotsRouter>},
    // Input only: the keys of a logger's side, and the repeat interval.
    {Code::PskReporter,
     "PSK Reporter",
     Source::ClusterUser,
     DupeLength | LineKeys | SpotFilter | PskRepeat,
     0,
     3,
     {12, 0, true, false},
     &Make<CPskReporterRouter>},
    // Input only: the keys of a logger's side, and the call that spots
    // until a receiver has said its own.
    {Code::Wsjtx,
     "WSJT-X",
     Source::ClusterUser,
     MyCall | DupeLength | LineKeys | SpotFilter,
     0,
     3,
     {10, MyCall, true, false, false},
     &Make<CWsjtxRouter>},
}};

constexpr bool InCodeOrder() {
    for (std::size_t i = 1; i < Types.size(); ++i) {
        if (Types[i].Code() <= Types[i - 1].Code()) {
            return false;
        }
    }
    return true;
}
static_assert(InCodeOrder(), "the rows stand in rising code order");

} // namespace

namespace DataTypes {

const DataType& Of(DataTypeCode code) {
    return *OfStored(static_cast<int>(code));
}

const DataType* Named(std::string_view name) {
    for (const DataType& type : Types) {
        if (name == type.name) {
            return &type;
        }
    }
    return nullptr;
}

const DataType* OfStored(int code) {
    const auto found = std::find_if(Types.begin(), Types.end(),
                                    [code](const DataType& type) { return type.Code() == code; });
    return found != Types.end() ? &*found : nullptr;
}

const std::vector<std::string>& DialogNames() {
    static const std::vector<std::string> names = [] {
        std::array<const DataType*, Types.size()> listed{};
        for (const DataType& type : Types) {
            listed[static_cast<std::size_t>(type.dialog.listed)] = &type;
        }
        std::vector<std::string> result;
        for (const DataType* type : listed) {
            result.emplace_back(type->name);
        }
        return result;
    }();
    return names;
}

} // namespace DataTypes
