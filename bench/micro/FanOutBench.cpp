// Per-line cost of routing one received spot from a Cluster User port to
// n outputs (Cluster Node, CT User and Cluster User ports in turn), ring
// buffer to written bytes, with the fake ports of the tests. Each line is
// a new spot (the frequency steps), so no output drops it as a dupe.
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "support/FakePortHost.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr std::array<const char*, 3> kOutputs = {"Cluster Node", "CT User", "Cluster User"};

// "DX de K1ABC:     14025.0  DL1XYZ       cq cq   ...   1234Z" with the
// frequency's last digits taken from n.
std::string SpotLine(int n) {
    std::string frequency = std::to_string(14000 + n % 350) + "." + std::to_string(n % 10);
    std::string line = "DX de K1ABC:";
    line.append(17 - frequency.size(), ' ');
    line += frequency;
    line += "  DL1XYZ       cq cq                          1234Z\r\n";
    return line;
}

void BM_FanOut(benchmark::State& state) {
    FakePortHost host;
    FakePort& source = host.AddPort("SRC");
    source.SetRouter(RouterFactory::Create("Cluster User", source));
    std::vector<FakePort*> outputs;
    for (int i = 0; i < state.range(0); ++i) {
        FakePort& out = host.AddPort("OUT" + std::to_string(i));
        out.SetRouter(RouterFactory::Create(kOutputs[static_cast<std::size_t>(i) % 3], out));
        out.Router()->MyCall = "G4AAA";
        source.Router()->AddRoute(out.Router());
        outputs.push_back(&out);
    }
    source.ComeUp();
    host.RouteAll();
    std::vector<std::string> lines;
    for (int n = 0; n < 1000; ++n) {
        lines.push_back(SpotLine(n));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& line = lines[next++ % lines.size()];
        source.OnReceive(line.data(), static_cast<int>(line.size()));
        host.RouteAll();
        for (FakePort* out : outputs) {
            benchmark::DoNotOptimize(out->written.data());
            out->written.clear();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FanOut)->Arg(1)->Arg(3)->Arg(8);

} // namespace
