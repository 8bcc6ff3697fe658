// Payloads of the PSK Reporter feed through a port of that data type: the
// report reader, the repeat table and the "DX de" line, then a CT User port
// that reads the line back. Each line of the input is one payload.
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "support/FakePortHost.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FakePortHost host;
    FakePort& source = host.AddPort("SRC");
    FakePort& log = host.AddPort("LOG");
    source.SetRouter(RouterFactory::Create("PSK Reporter", source));
    log.SetRouter(RouterFactory::Create("CT User", log));
    source.Router()->AddRoute(log.Router());
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        source.Router()->OnLine(input.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        input.remove_prefix(end + 1);
        host.clock.seconds += 7;
        source.Router()->Tick();
    }
    return 0;
}
