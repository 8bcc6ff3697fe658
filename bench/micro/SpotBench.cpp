// Per-line costs of the spot pieces: the four parsers, the formatters, the
// loop mark, and the dupe check of the frequency-hashed table against a plain
// scan of the same ring.
#include "spots/DupeTable.h"
#include "spots/LoopMark.h"
#include "spots/SpotFormatter.h"
#include "spots/SpotParser.h"
#include "support/SettableClock.h"
#include "text/AsciiText.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const std::string kUserLine =
    "DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z";
const std::string kClusseLine = "DX de K1ABC:     14025.0  DL1XYZ       1234Z cq cq\x07";
const std::string kNodeLine = "PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq^K1ABC^NODE1^H99^~";
const std::string kIrcLine =
    ":K1ABC!~k1abc@irc.example.net PRIVMSG #CQDX :\x03"
    "1,15 K1ABC        14025.0 DL1XYZ       cq cq                       1234";
const std::string kSolarLine = ":SolarMonitor!~sm@solar.example.org PRIVMSG #CQDX :\x03"
                               "12 SFI=150 A=5 K=2 \x03"
                               "4,1 Storm";
const SpotFields kSpot{"K1ABC", "14025.0", "DL1XYZ", "CQ CQ CQ contest test XY QRZ up 5", "1234"};

template <class Parse> void RunParser(benchmark::State& state, Parse parse) {
    CSpotParser parser;
    SpotFields spot;
    if (!parse(parser, spot)) {
        state.SkipWithError("line is not a spot");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(parse(parser, spot));
        benchmark::DoNotOptimize(spot);
    }
}

void BM_ParseUserSpot(benchmark::State& state) {
    RunParser(state, [](CSpotParser& p, SpotFields& s) { return p.ParseUserSpot(kUserLine, s); });
}
void BM_ParseClusseSpot(benchmark::State& state) {
    RunParser(state,
              [](CSpotParser& p, SpotFields& s) { return p.ParseClusseSpot(kClusseLine, s); });
}
void BM_ParseNodeSpot(benchmark::State& state) {
    RunParser(state, [](CSpotParser& p, SpotFields& s) { return p.ParseNodeSpot(kNodeLine, s); });
}
void BM_ParseIrcSpot(benchmark::State& state) {
    RunParser(state, [](CSpotParser& p, SpotFields& s) { return p.ParseIrcSpot(kIrcLine, s); });
}
BENCHMARK(BM_ParseUserSpot);
BENCHMARK(BM_ParseClusseSpot);
BENCHMARK(BM_ParseNodeSpot);
BENCHMARK(BM_ParseIrcSpot);

template <bool (CSpotFormatter::*Format)(const SpotFields&)>
void BM_Format(benchmark::State& state) {
    RouterOptions options;
    SettableClock clock;
    CSpotFormatter formatter(options, clock);
    for (auto _ : state) {
        benchmark::DoNotOptimize((formatter.*Format)(kSpot));
        benchmark::DoNotOptimize(formatter.Text().data());
    }
}
BENCHMARK(BM_Format<&CSpotFormatter::FormatPC11>)->Name("BM_Format/PC11");
BENCHMARK(BM_Format<&CSpotFormatter::FormatClusseCommand>)->Name("BM_Format/ClusseCommand");
BENCHMARK(BM_Format<&CSpotFormatter::FormatDxCommand>)->Name("BM_Format/DxCommand");
BENCHMARK(BM_Format<&CSpotFormatter::FormatDxDe>)->Name("BM_Format/DxDe");
BENCHMARK(BM_Format<&CSpotFormatter::FormatIrcSpot>)->Name("BM_Format/IrcSpot");

void BM_FormatSolarFrame(benchmark::State& state) {
    RouterOptions options;
    SettableClock clock;
    CSpotFormatter formatter(options, clock);
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatter.FormatSolarFrame(kSolarLine));
        benchmark::DoNotOptimize(formatter.Text().data());
    }
}
BENCHMARK(BM_FormatSolarFrame);

void BM_AddLoopMark(benchmark::State& state) {
    RouterOptions options;
    std::string comment;
    comment.reserve(80);
    for (auto _ : state) {
        comment.assign(kSpot.Comment);
        AddLoopMark(comment, options);
        benchmark::DoNotOptimize(comment.data());
    }
}
BENCHMARK(BM_AddLoopMark);

// The same ring with a scan of every entry: the comparison for the hashed
// index of CDupeTable.
class CLinearDupeRing {
  public:
    void SetLength(int n) {
        m_ring.assign(static_cast<std::size_t>(n), std::string{});
        m_index = 0;
    }
    bool CheckAndRecord(std::string_view key) {
        if (m_ring.empty()) {
            return false;
        }
        m_key.assign(key);
        for (char& c : m_key) {
            c = ascii::Upper(c);
        }
        for (const std::string& entry : m_ring) {
            if (!entry.empty() && entry.compare(0, m_key.size(), m_key) == 0) {
                return true;
            }
        }
        m_index = (m_index + 1) % static_cast<int>(m_ring.size());
        m_ring[static_cast<std::size_t>(m_index)] = m_key;
        return false;
    }

  private:
    std::vector<std::string> m_ring;
    std::string m_key;
    int m_index = 0;
};

// Distinct keys of the usual form, "14000.3 DL17ABC".
std::vector<std::string> Keys(int count) {
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) {
        keys.push_back(std::to_string(14000 + i % 350) + "." + std::to_string(i % 10) + " DL" +
                       std::to_string(i) + "ABC");
    }
    return keys;
}

// Every key checked is stored: the scan stops where the key is found.
template <class Table> void BM_DupeHit(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::string> keys = Keys(n);
    Table table;
    table.SetLength(n);
    for (const std::string& key : keys) {
        table.CheckAndRecord(key);
    }
    if (!table.CheckAndRecord(keys.front())) {
        state.SkipWithError("stored key not found");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.CheckAndRecord(keys[i]));
        i = (i + 1) % keys.size();
    }
}

// Twice as many keys as the ring holds, in turn: every key was forgotten
// before it comes again, so each check scans everything and records.
template <class Table> void BM_DupeMiss(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::string> keys = Keys(2 * n);
    Table table;
    table.SetLength(n);
    for (const std::string& key : keys) {
        table.CheckAndRecord(key);
    }
    if (table.CheckAndRecord(keys.front())) {
        state.SkipWithError("forgotten key still found");
        return;
    }
    std::size_t i = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.CheckAndRecord(keys[i]));
        i = (i + 1) % keys.size();
    }
}

BENCHMARK(BM_DupeHit<CDupeTable>)->Name("BM_DupeHit/Hashed")->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_DupeHit<CLinearDupeRing>)->Name("BM_DupeHit/Linear")->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_DupeMiss<CDupeTable>)->Name("BM_DupeMiss/Hashed")->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_DupeMiss<CLinearDupeRing>)->Name("BM_DupeMiss/Linear")->Arg(10)->Arg(100)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
