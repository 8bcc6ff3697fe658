// A generated contest hour through one port's skimmer merging: 250 skimmers,
// 5,000 stations, 230,000 reports (63 a second), 1 % of them with a busted
// call. Each report is offered as a spot (its comment read by the merger)
// and the merger ticks once a simulated second; the skimmers' CQ zones come
// from a real country file (Debian's, else the bench's own). Figures: the
// reduction ratio, CPU seconds per million reports, and the merger's peak
// heap.
#include "filters/CountryFile.h"
#include "routing/SkimmerMerger.h"
#include "support/SettableClock.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSkimmers = 250;
constexpr int kStations = 5000;
constexpr int kReports = 230'000;
constexpr int kHourSeconds = 3600;

// A fixed sequence, the same on every library.
class CRandom {
  public:
    std::uint32_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state >> 32);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

  private:
    std::uint64_t m_state = 0x9e3779b97f4a7c15ULL;
};

struct HourReport {
    std::int32_t second;
    std::int32_t frequency; // kHz × 10
    std::int16_t station;
    std::int16_t skimmer;
    std::int8_t strength;
    std::int8_t speed;
    bool busted;
};

struct ContestHour {
    std::vector<std::string> skimmers;
    std::vector<std::string> stations;
    std::vector<HourReport> reports;
};

std::string MakeCall(CRandom& random, std::string_view suffix) {
    static constexpr std::array<const char*, 12> prefixes = {"K",  "W",  "N",  "DL", "G",  "OH",
                                                             "JA", "VE", "PY", "EA", "UA", "I"};
    std::string call = prefixes[random.Below(prefixes.size())];
    call += static_cast<char>('0' + random.Below(10));
    for (int i = 0, n = 2 + random.Below(2); i < n; ++i) {
        call += static_cast<char>('A' + random.Below(26));
    }
    return call + std::string(suffix);
}

ContestHour MakeHour() {
    static constexpr std::array<int, 6> bandStarts = {18000, 35000, 70000, 140000, 210000, 280000};
    CRandom random;
    ContestHour hour;
    for (int i = 0; i < kSkimmers; ++i) {
        hour.skimmers.push_back(MakeCall(random, "-#"));
    }
    std::vector<std::int32_t> frequencies;
    for (int i = 0; i < kStations; ++i) {
        hour.stations.push_back(MakeCall(random, ""));
        frequencies.push_back(bandStarts[random.Below(bandStarts.size())] + random.Below(600));
    }
    // Each CQ is heard by 5 to 15 skimmers within 5 s; one in ten moves first.
    while (hour.reports.size() < kReports) {
        const int station = random.Below(kStations);
        if (random.Below(10) == 0) {
            frequencies[station] = frequencies[station] / 1000 * 1000 + random.Below(600);
        }
        const int second = random.Below(kHourSeconds - 5);
        const int speed = 20 + random.Below(16);
        const int first = random.Below(kSkimmers);
        for (int k = 0, n = 5 + random.Below(11); k < n && hour.reports.size() < kReports; ++k) {
            hour.reports.push_back(
                HourReport{second + random.Below(6), frequencies[station] + random.Below(3) - 1,
                           static_cast<std::int16_t>(station),
                           static_cast<std::int16_t>((first + k * 7) % kSkimmers),
                           static_cast<std::int8_t>(3 + random.Below(35)),
                           static_cast<std::int8_t>(speed), random.Below(100) == 0});
        }
    }
    std::stable_sort(hour.reports.begin(), hour.reports.end(),
                     [](const HourReport& a, const HourReport& b) { return a.second < b.second; });
    return hour;
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

double PeakRssMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

void BM_SkimmerMergeContestHour(benchmark::State& state) {
    const ContestHour hour = MakeHour();
    CCountryFile countries;
    std::string error;
    if (!countries.Read("/usr/share/hamradio-files/cty.dat", error) &&
        !countries.Read(SW_BENCH_SETUPS "/bench-cty.dat", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::string busted;
    std::string frequency;
    std::string comment;
    std::uint64_t spotsOut = 0;
    double reduction = 0;
    std::size_t peakHeap = 0;
    for (auto _ : state) {
        SettableClock clock;
        clock.seconds = 0;
        const std::size_t baseline = HeapInUse();
        CSkimmerMerger merger(
            clock, [&](const SpotFields&) { ++spotsOut; }, [](std::string_view) {});
        merger.SetZoneLookup([&](std::string_view call) { return countries.CqZoneOf(call); });
        for (const HourReport& report : hour.reports) {
            if (report.second != clock.seconds) {
                clock.seconds = report.second;
                merger.Tick();
                peakHeap = std::max(peakHeap, HeapInUse() - std::min(baseline, HeapInUse()));
            }
            std::string_view call = hour.stations[report.station];
            if (report.busted) {
                busted.assign(call);
                busted[busted.size() - 1] = busted.back() == 'E' ? 'T' : 'E';
                call = busted;
            }
            frequency = std::to_string(report.frequency / 10) + '.' +
                        static_cast<char>('0' + report.frequency % 10);
            comment = "CW " + std::to_string(report.strength) + " dB " +
                      std::to_string(report.speed) + " WPM CQ";
            const SpotFields spot{hour.skimmers[report.skimmer], frequency, call, comment, "2300"};
            merger.Offer(spot);
        }
        clock.seconds = kHourSeconds + 600;
        merger.Tick();
        reduction = static_cast<double>(merger.Counts().reportsIn) /
                    static_cast<double>(std::max<std::uint64_t>(merger.Counts().spotsOut, 1));
        state.counters["spots_out"] = static_cast<double>(merger.Counts().spotsOut);
        state.counters["respots"] = static_cast<double>(merger.Counts().respots);
        state.counters["held_back"] = static_cast<double>(merger.Counts().heldBack);
        state.counters["busted"] = static_cast<double>(merger.Counts().busted);
    }
    state.SetItemsProcessed(state.iterations() * kReports);
    // Rates divide by CPU time: inverted, CPU seconds per million reports.
    state.counters["cpu_s_per_M"] =
        benchmark::Counter(kReports / 1e6, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
    state.counters["reduction"] = reduction;
    state.counters["peak_heap_MB"] = static_cast<double>(peakHeap) / 1e6;
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
    benchmark::DoNotOptimize(spotsOut);
}
BENCHMARK(BM_SkimmerMergeContestHour)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
