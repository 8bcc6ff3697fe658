#pragma once

// Commands a port window carries out for its own port.
namespace PortCommand {
constexpr int Connect = 32791;
constexpr int Disconnect = 32792;
constexpr int Remove = 32793;
constexpr int Edit = 32794;
constexpr int EditScript = 32795;
constexpr int StopScript = 32796;
constexpr int DisconnectKeepScript = 32798;
} // namespace PortCommand
