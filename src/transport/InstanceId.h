#pragma once

#include <string>

// This installation's id, which the MQTT ports put on every spot they
// publish so that a spot that comes back from the broker is known as our
// own: 16 hex digits drawn once from the system's random source and kept
// in "spotweaver/instance-id" under the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config). Two setups of one user share it; a
// second installation on the machine needs its own user or
// XDG_CONFIG_HOME. When the file can be neither read nor written, the id
// lives as long as the program.
namespace InstanceId {

const std::string& Get();

} // namespace InstanceId
