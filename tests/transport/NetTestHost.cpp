#include "NetTestHost.h"

#include "port/PortHandler.h"

#include <algorithm>

bool NetTestHost::IsPortNameUsed(const std::string& name) const {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const CPortHandler* p) { return p->PortName == name; });
}

void NetTestHost::PostPortData(CPortHandler& port) {
    ++dataRequests;
    if (holdRequests) {
        return;
    }
    loop.Post([this, p = &port] {
        if (std::find(ports.begin(), ports.end(), p) != ports.end()) {
            Drain(*p);
        }
    });
}

void NetTestHost::Forget(CPortHandler& port) {
    ports.erase(std::remove(ports.begin(), ports.end(), &port), ports.end());
}

void NetTestHost::Drain(CPortHandler& port) {
    // As a router does: a disconnected port offers no lines.
    while (port.PendingLines() > 0) {
        const std::string_view line = port.RingBuffer().GetLine();
        if (!line.empty()) {
            if (onLine) {
                onLine(line);
            } else {
                lines.emplace_back(line);
            }
        }
        port.OnInputTaken();
    }
}
