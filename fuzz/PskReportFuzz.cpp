// Payloads of the PSK Reporter feed through a port of that data type: the
// report reader, the repeat table and the "DX de" line, then a CT User port
// that reads the line back. Each line of the input is one payload, which the
// report reader's flat path and its full JSON path must read alike.
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "spots/PskReportReader.h"
#include "support/FakePortHost.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <tuple>

namespace {

void CheckReadersAgree(std::string_view payload) {
    static CPskReportReader flat;
    static CPskReportReader full;
    PskReport a;
    PskReport b;
    const auto fields = [](const PskReport& r) {
        return std::tie(r.Sender, r.Receiver, r.Mode, r.Band, r.SenderLocator, r.ReceiverLocator,
                        r.Hz, r.Snr, r.HasSnr, r.Time, r.SenderDxcc, r.ReceiverDxcc);
    };
    if (flat.Read(payload, a) != full.ReadAnyLayout(payload, b) || fields(a) != fields(b)) {
        std::abort();
    }
}

} // namespace

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
        CheckReadersAgree(input.substr(0, end));
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
