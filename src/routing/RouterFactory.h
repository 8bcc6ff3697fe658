#pragma once

#include <memory>
#include <string>

class CRouterPort;
class CRouter;
class CSetupFile;

// Builds the router of a data type, by its row in the data type table
// (DataType.h), which holds the names and the codes stored as "InputType".
namespace RouterFactory {

// The router named exactly (case-sensitive) dataType, with its type's
// initial options; null for an unknown name.
std::unique_ptr<CRouter> Create(const std::string& dataType, CRouterPort& port);
// The router of a stored code, reading its keys from the setup; null for a
// code outside 0..9 (nothing is read then).
std::unique_ptr<CRouter> CreateFromSetup(int code, CSetupFile& setup, CRouterPort& port);
// The name of a code, or an empty text for a code outside 0..9.
std::string NameOf(int code);

} // namespace RouterFactory
