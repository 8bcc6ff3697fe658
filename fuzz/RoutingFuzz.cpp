// Any bytes received on a port of any data type, routed to one port of every
// data type (some of them TNC masters and slaves): the CT packet, IRC, node
// frame and stream paths must hold for any input.
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "support/FakePortHost.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const char* const kTypes[] = {"Command", "Cluster User", "Cluster Node", "Direct",   "CT Network",
                              "CT User", "MIRC User",    "Clusse User",  "PassThru", "Spider User"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    FakePortHost host;
    const int sourceType = data[0] % 10;
    const int sourceRole = (data[1] >> 4) % 3;
    FakePort& source = host.AddPort("SRC", sourceRole);
    source.PortStreamID = "A";
    source.RingBuffer().SetSize(512);
    source.SetRouter(RouterFactory::Create(kTypes[sourceType], source));
    source.Router()->SetDupeLength(8);
    for (int t = 0; t < 10; ++t) {
        const int role = (data[1] >> (t % 4)) & 1 ? (t % 3) : 0;
        FakePort& dest = host.AddPort("D" + std::to_string(t), role);
        dest.PortStreamID = std::string(1, static_cast<char>('B' + t));
        dest.SetRouter(RouterFactory::Create(kTypes[t], dest));
        dest.Router()->SetDupeLength(4);
        dest.Router()->AntiLoopPrefix = " <";
        source.Router()->AddRoute(dest.Router());
        dest.ComeUp();
    }
    source.Router()->SetTracePort(host.ports.back().get());
    source.ComeUp();

    // Chunks end at each 0xFF byte, as reads of a stream may end anywhere.
    std::size_t start = 2;
    for (std::size_t i = 2; i <= size; ++i) {
        if (i == size || data[i] == 0xFF) {
            source.OnReceive(reinterpret_cast<const char*>(data + start),
                             static_cast<int>(i - start));
            host.RouteAll();
            start = i + 1;
        }
    }
    host.clock.seconds += 3600;
    for (auto& p : host.ports) {
        p->OnTimer();
    }
    host.loop.Advance(2000);
    return 0;
}
