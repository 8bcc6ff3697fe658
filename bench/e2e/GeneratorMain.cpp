// sw_bench_gen: the local feed. Listens on loopback like a cluster node, and
// once the program under test has connected, writes the benchmark stream to
// it: flat out, or paced at a given number of lines a second with the send
// time of every line recorded for the latency figures.
//
// Talks to the driver on standard output ("stream ...", "listening",
// "connected", "sent ...") and takes "go" and "close" on standard input.

#include "BenchIo.h"
#include "SpotStream.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace {

void Say(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// Waits for the given word on standard input; end of input also ends the wait.
void WaitFor(const std::string& word) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == word)
            return;
    }
}

void SleepUntil(std::int64_t ns) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000LL);
    ts.tv_nsec = static_cast<long>(ns % 1000000000LL);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

void WriteManifest(const std::string& path, const std::vector<std::uint8_t>& marks) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        bench::Fail("cannot write " + path);
    std::fwrite(marks.data(), 1, marks.size(), f);
    std::fclose(f);
}

// Flat out, in large writes; the peer's reading paces it.
bool SendAll(int fd, const CSpotStream& stream, std::int64_t chunk) {
    const std::string& text = stream.Text();
    for (std::size_t off = 0; off < text.size();) {
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(chunk), text.size() - off);
        if (!bench::WriteAll(fd, text.data() + off, n))
            return false;
        off += n;
    }
    return true;
}

// One line per write at its due time; a line that is late goes at once.
bool SendPaced(int fd, const CSpotStream& stream, double rate, std::vector<std::int64_t>& sent) {
    const std::string& text = stream.Text();
    const std::int64_t start = bench::MonotonicNs();
    const double interval = 1e9 / rate;
    for (std::size_t i = 0; i < stream.LineCount(); ++i) {
        const auto due = start + static_cast<std::int64_t>(interval * static_cast<double>(i));
        if (bench::MonotonicNs() < due)
            SleepUntil(due);
        sent[i] = bench::MonotonicNs();
        const std::size_t begin = stream.LineBegin(i);
        if (!bench::WriteAll(fd, text.data() + begin, stream.LineEnd(i) - begin))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const bench::COptions opt(argc, argv, {"wait-go", "hold"});

    const auto lines = static_cast<std::size_t>(opt.Number("lines", 1000000));
    CSpotStream stream(static_cast<std::uint64_t>(opt.Number("seed", 1)),
                       std::stod(opt.Text("dupes", "0.2")));
    stream.Generate(lines);
    Say("stream lines=" + std::to_string(stream.LineCount()) +
        " unique=" + std::to_string(stream.LineCount() - stream.DupeCount()) + " dupes=" +
        std::to_string(stream.DupeCount()) + " bytes=" + std::to_string(stream.Text().size()));

    if (opt.Has("manifest"))
        WriteManifest(opt.Text("manifest"), stream.DupeMarks());
    if (opt.Has("dump")) {
        FILE* f = std::fopen(opt.Text("dump").c_str(), "wb");
        if (f == nullptr)
            bench::Fail("cannot write " + opt.Text("dump"));
        std::fwrite(stream.Text().data(), 1, stream.Text().size(), f);
        std::fclose(f);
        return 0;
    }

    const int listener = bench::ListenTcp(bench::ParseEndpoint(opt.Required("listen")));
    Say("listening");
    const int fd = bench::AcceptOne(listener, true);
    close(listener);
    Say("connected");
    if (opt.Has("wait-go"))
        WaitFor("go");

    const double rate = std::stod(opt.Text("rate", "0"));
    std::vector<std::int64_t> sent(rate > 0 ? stream.LineCount() : 0, 0);
    const std::int64_t first = bench::MonotonicNs();
    const bool ok = rate > 0 ? SendPaced(fd, stream, rate, sent)
                             : SendAll(fd, stream, opt.Number("chunk", 65536));
    const std::int64_t last = bench::MonotonicNs();
    Say(std::string(ok ? "sent" : "broken") + " first_ns=" + std::to_string(first) +
        " last_ns=" + std::to_string(last));
    if (opt.Has("times"))
        bench::WriteInt64File(opt.Text("times"), sent);

    // Closing at once would let the receiver drop what it still buffers; the
    // driver says when every sink has its lines.
    if (opt.Has("hold"))
        WaitFor("close");
    close(fd);
    return ok ? 0 : 1;
}
