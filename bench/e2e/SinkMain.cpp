// sw_bench_sink: counts what one output of the route delivers.
//
//   --tcp-connect HOST:PORT   the node-link side: connects to the server port
//                             under test and reads its lines
//   --udp-bind HOST:PORT      the CT network side: one datagram is one packet
//   --file PATH               the log file, read once after the run
//
// Every sink matches lines by their sequence number (CLineTally) and ends
// when --expect lines have come and a short quiet spell has followed, after
// --idle-ms without data, at end of stream, or on SIGINT/SIGTERM. It then
// prints "result ..." and writes the arrival times (--times) if asked.

#include "BenchIo.h"
#include "LineTally.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

void Say(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

struct StopRule {
    std::int64_t expect;  // lines; 0 = unknown
    std::int64_t idleNs;  // quiet spell that ends the run once data came
    std::int64_t startNs; // how long to wait for the first data
    std::int64_t graceNs; // quiet spell after the expected count
};

bool ShouldStop(const CLineTally& tally, const StopRule& rule, std::int64_t startedAt) {
    const std::int64_t now = bench::MonotonicNs();
    if (tally.Lines() == 0)
        return now - startedAt > rule.startNs;
    const std::int64_t quiet = now - tally.LastNs();
    if (rule.expect > 0 && tally.Lines() >= rule.expect)
        return quiet > rule.graceNs;
    return quiet > rule.idleNs;
}

void RunTcp(int fd, CLineTally& tally, const StopRule& rule) {
    std::vector<char> buffer(1 << 18);
    const std::int64_t startedAt = bench::MonotonicNs();
    while (!g_stop && !ShouldStop(tally, rule, startedAt)) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            break;
        }
        tally.CountStream(std::string_view(buffer.data(), static_cast<std::size_t>(n)),
                          bench::MonotonicNs());
    }
}

void RunUdp(int fd, CLineTally& tally, const StopRule& rule) {
    constexpr unsigned kBatch = 64;
    constexpr std::size_t kSize = 2048;
    std::vector<char> storage(kBatch * kSize);
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    const std::int64_t startedAt = bench::MonotonicNs();
    while (!g_stop && !ShouldStop(tally, rule, startedAt)) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        std::memset(messages, 0, sizeof(messages));
        for (unsigned i = 0; i < kBatch; ++i) {
            vectors[i] = iovec{storage.data() + i * kSize, kSize};
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = recvmmsg(fd, messages, kBatch, MSG_DONTWAIT, nullptr);
        if (n <= 0)
            continue;
        const std::int64_t now = bench::MonotonicNs();
        for (int i = 0; i < n; ++i)
            tally.Count(std::string_view(storage.data() + static_cast<std::size_t>(i) * kSize,
                                         messages[i].msg_len),
                        now);
    }
}

std::vector<std::uint8_t> ReadMarks(const bench::COptions& opt) {
    if (!opt.Has("manifest"))
        return {};
    const std::string text = bench::ReadFile(opt.Text("manifest"));
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace

int main(int argc, char** argv) {
    const bench::COptions opt(argc, argv, {});
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<std::uint8_t> marks = ReadMarks(opt);
    const auto sequences =
        static_cast<std::size_t>(opt.Number("lines", static_cast<std::int64_t>(marks.size())));
    CLineTally tally(sequences, std::move(marks), opt.Has("times"));
    const StopRule rule{opt.Number("expect", 0), opt.Number("idle-ms", 5000) * 1000000,
                        opt.Number("start-ms", 60000) * 1000000,
                        opt.Number("grace-ms", 300) * 1000000};

    if (opt.Has("file")) {
        tally.CountStream(bench::ReadFile(opt.Text("file")), bench::MonotonicNs());
    } else if (opt.Has("udp-bind")) {
        const int fd = bench::BindUdp(bench::ParseEndpoint(opt.Text("udp-bind")), 64 << 20);
        Say("ready");
        RunUdp(fd, tally, rule);
        close(fd);
    } else {
        const auto to = bench::ParseEndpoint(opt.Required("tcp-connect"));
        const int fd = bench::ConnectTcp(to, static_cast<int>(opt.Number("connect-ms", 20000)));
        if (fd < 0)
            bench::Fail("cannot connect to " + opt.Text("tcp-connect"));
        Say("connected");
        RunTcp(fd, tally, rule);
        close(fd);
    }
    Say("result " + tally.Summary());
    if (opt.Has("times"))
        bench::WriteInt64File(opt.Text("times"), tally.Times());
    return 0;
}
