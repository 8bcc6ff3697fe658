#include "routing/RouterFactory.h"

#include "routing/ClusseUserRouter.h"
#include "routing/ClusterNodeRouter.h"
#include "routing/ClusterUserRouter.h"
#include "routing/CommandRouter.h"
#include "routing/CTNetworkRouter.h"
#include "routing/CTUserRouter.h"
#include "routing/DirectRouter.h"
#include "routing/MircUserRouter.h"
#include "routing/PassThruRouter.h"
#include "routing/SpiderUserRouter.h"

#include <array>

namespace {

// One row per data type, in code order.
struct DataType {
    const char* name;
    std::unique_ptr<CRouter> (*create)(CPortHandler& port);
    std::unique_ptr<CRouter> (*load)(CSetupFile& setup, CPortHandler& port);
};

template <class T> std::unique_ptr<CRouter> Make(CPortHandler& port) {
    return std::make_unique<T>(port);
}

template <class T> std::unique_ptr<CRouter> Load(CSetupFile& setup, CPortHandler& port) {
    return std::make_unique<T>(setup, port);
}

template <class T> constexpr DataType Row(const char* name) { return {name, &Make<T>, &Load<T>}; }

constexpr std::array<DataType, 10> DataTypes = {
    Row<CCommandRouter>("Command"),         Row<CClusterUserRouter>("Cluster User"),
    Row<CClusterNodeRouter>("Cluster Node"), Row<CDirectRouter>("Direct"),
    Row<CCTNetworkRouter>("CT Network"),    Row<CCTUserRouter>("CT User"),
    Row<CMircUserRouter>("MIRC User"),      Row<CClusseUserRouter>("Clusse User"),
    Row<CPassThruRouter>("PassThru"),       Row<CSpiderUserRouter>("Spider User"),
};

} // namespace

namespace RouterFactory {

std::unique_ptr<CRouter> Create(const std::string& dataType, CPortHandler& port) {
    for (const DataType& type : DataTypes) {
        if (dataType == type.name) {
            return type.create(port);
        }
    }
    return nullptr;
}

std::unique_ptr<CRouter> CreateFromSetup(int code, CSetupFile& setup, CPortHandler& port) {
    if (code < 0 || code >= static_cast<int>(DataTypes.size())) {
        return nullptr;
    }
    return DataTypes[static_cast<std::size_t>(code)].load(setup, port);
}

std::string NameOf(int code) {
    if (code < 0 || code >= static_cast<int>(DataTypes.size())) {
        return {};
    }
    return DataTypes[static_cast<std::size_t>(code)].name;
}

} // namespace RouterFactory
