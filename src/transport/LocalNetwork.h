#pragma once

#include <optional>
#include <string>

// Where a new broadcast port sends from and to: the IPv4 address and
// broadcast address of this machine's first interface that is up, is not
// the loopback and broadcasts, in the system's order ("192.168.1.20",
// "192.168.1.255"). None when there is no such interface.
namespace LocalNetwork {

struct Broadcast {
    std::string address;
    std::string broadcast;
};

std::optional<Broadcast> FirstBroadcast();

} // namespace LocalNetwork
