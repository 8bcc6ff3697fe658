// sw_bench_check: proves that the benchmark stream is what the figures
// assume, using the program's own spot pieces. Every line must parse as a
// user "DX de" spot; a dupe table of 1000 must call exactly the lines marked
// in the manifest dupes; and the PC11 frame and the "DX de" line built from
// each spot must still carry the line's sequence number.
//
//   sw_bench_check --lines N [--seed S] [--dupes 0.2]
//
// Prints "check ok ..." and exits 0, or names the first bad line and exits 1.

#include "BenchIo.h"
#include "SpotStream.h"

#include "spots/DupeTable.h"
#include "spots/SpotFormatter.h"
#include "spots/SpotParser.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {

class CFixedClock : public IClock {
  public:
    std::int64_t NowSeconds() const override { return 1767225600; }
    CivilDate UtcDate() const override { return CivilDate{2026, 1, 1}; }
};

int Bad(std::size_t seq, const std::string& why, std::string_view line) {
    std::fprintf(stderr, "check failed at line %zu: %s\n  %.*s\n", seq, why.c_str(),
                 static_cast<int>(line.size()), line.data());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const bench::COptions opt(argc, argv, {});
    const auto lines = static_cast<std::size_t>(opt.Number("lines", 1000000));
    CSpotStream stream(static_cast<std::uint64_t>(opt.Number("seed", 1)),
                       std::stod(opt.Text("dupes", "0.2")));
    stream.Generate(lines);

    RouterOptions options;
    options.MyCall = "INET";
    options.AntiLoopPrefix = " <";
    CSpotParser parser;
    CFixedClock clock;
    CSpotFormatter formatter(options, clock);
    CDupeTable table;
    table.SetLength(static_cast<int>(CSpotStream::kDupeWindow));

    const std::string& text = stream.Text();
    std::size_t longest = 0;
    for (std::size_t seq = 0; seq < stream.LineCount(); ++seq) {
        const std::size_t begin = stream.LineBegin(seq);
        const std::string_view whole(text.data() + begin, stream.LineEnd(seq) - begin);
        longest = std::max(longest, whole.size());
        if (whole.size() < 2 || whole.substr(whole.size() - 2) != "\r\n")
            return Bad(seq, "not ended by CR LF", whole);
        const std::string_view line = whole.substr(0, whole.size() - 2);
        if (bench::ExtractSeq(line) != static_cast<std::int64_t>(seq))
            return Bad(seq, "wrong sequence number", line);
        SpotFields spot;
        if (!parser.ParseUserSpot(line, spot))
            return Bad(seq, "not a user spot", line);
        const std::string key = std::string(spot.Frequency) + " " + std::string(spot.DxCall);
        const bool dupe = table.CheckAndRecord(key);
        if (dupe != (stream.DupeMarks()[seq] != 0))
            return Bad(seq,
                       dupe ? "a dupe the stream calls new" : "a new spot the stream calls dupe",
                       line);
        if (!formatter.FormatPC11(spot) ||
            bench::ExtractSeq(formatter.Text()) != static_cast<std::int64_t>(seq))
            return Bad(seq, "PC11 frame lost the number: " + formatter.Text(), line);
        if (!formatter.FormatDxDe(spot) ||
            bench::ExtractSeq(formatter.Text()) != static_cast<std::int64_t>(seq))
            return Bad(seq, "DX de line lost the number: " + formatter.Text(), line);
    }
    std::printf("check ok lines=%zu dupes=%zu longest=%zu\n", stream.LineCount(),
                stream.DupeCount(), longest);
    return 0;
}
