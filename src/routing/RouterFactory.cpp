#include "routing/RouterFactory.h"

#include "routing/DataType.h"
#include "routing/Router.h"
#include "routing/RouterKeys.h"

namespace RouterFactory {

std::unique_ptr<CRouter> Create(const std::string& dataType, CRouterPort& port) {
    const DataType* type = DataTypes::Named(dataType);
    return type != nullptr ? type->create(port) : nullptr;
}

std::unique_ptr<CRouter> CreateFromSetup(int code, CSetupFile& setup, CRouterPort& port) {
    const DataType* type = DataTypes::OfStored(code);
    if (type == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CRouter> router = type->create(port);
    RouterKeys::Read(*router, setup, type->keys);
    return router;
}

std::string NameOf(int code) {
    const DataType* type = DataTypes::OfStored(code);
    return type != nullptr ? type->name : std::string();
}

} // namespace RouterFactory
