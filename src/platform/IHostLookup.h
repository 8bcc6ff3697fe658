#pragma once

#include <functional>
#include <string>
#include <vector>

// Looks host names up without blocking the loop.
//
// Responsibilities: turn a name into every address the system knows for it,
// IPv6 and IPv4 alike, in the order the system gives them, and answer later
// on the loop (never inside Start). An aborted request is never answered.
//
// Collaborators: the network ports' host resolver. The real look-up asks the
// system's resolver through Qt; tests use a fake that answers from a table.
class IHostLookup {
  public:
    using Id = int;
    // Addresses as texts ("::1", "192.0.2.7"); none when the name is unknown.
    using Done = std::function<void(std::vector<std::string> addresses)>;

    virtual ~IHostLookup() = default;

    // Returns an id (0 or more) for Abort.
    virtual Id Start(const std::string& name, Done done) = 0;
    virtual void Abort(Id id) = 0;
};
