// Per-spot cost of a port's spot filter with the ten rules of
// setups/bench-filtered.ini, and of one country look-up.
#include "filters/CountryFile.h"
#include "filters/SpotFilter.h"
#include "spots/SpotFields.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

const std::string kCountryFile = SW_BENCH_SETUPS "/bench-cty.dat";

const std::array<const char*, 10> kRules = {
    "reject band=2200m,630m,60m",
    "reject band=4m,2m,70cm,23cm",
    "reject band=other",
    "reject dx=ZZ9*,*/MM,3Y0*",
    "reject spotter=XX9*,QQ0*",
    "reject band=60m mode=DIGI",
    "reject band=2200m skimmer=yes",
    "reject dx-cont=AN",
    "reject spotter-cont=AN skimmer=no",
    "accept band=160m,80m,40m,30m,20m,17m,15m,12m,10m,6m",
};

const std::array<SpotFields, 4> kSpots = {{
    {"DL1ABC-#", "7025.0", "VP8LP", "CW 24 dB 28 WPM CQ", "1201"},
    {"K1XYZ", "14074.0", "EA8/DL1ABC/P", "FT8 -12 dB", "1202"},
    {"JA1ABC", "21025.3", "ZL2XYZ", "599 TU", "1203"},
    {"OH2XYZ-#", "28010.0", "PY2ABC", "CW 9 dB", "1204"},
}};

void BM_SpotFilterTenRules(benchmark::State& state) {
    CSpotFilter filter;
    filter.SetCountryFile(kCountryFile);
    for (const char* rule : kRules) {
        std::string reason;
        if (filter.Add(rule, reason) != CSpotFilter::Added::Used) {
            state.SkipWithError(reason.c_str());
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.Passes(kSpots[i]));
        i = (i + 1) % kSpots.size();
    }
}
BENCHMARK(BM_SpotFilterTenRules);

void BM_CountryLookUp(benchmark::State& state) {
    CCountryFile file;
    std::string error;
    if (!file.Read(kCountryFile, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(file.ContinentOf(kSpots[i].DxCall));
        i = (i + 1) % kSpots.size();
    }
}
BENCHMARK(BM_CountryLookUp);

} // namespace
