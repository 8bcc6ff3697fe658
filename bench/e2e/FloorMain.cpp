// sw_bench_floor: the I/O floor. Does exactly the I/O of the benchmark's
// route and nothing else: reads the feed's TCP stream, and for every line
// writes it to the node-link caller (one write), sends it as one UDP datagram
// and appends it to a buffered log file. No parsing, no conversion, no dupe
// check. Whatever the program under test does beyond this is its own cost.
// The node link keeps the socket defaults (Nagle on), as the program's own
// sockets do; --nodelay sends every line as a segment of its own.
//
//   sw_bench_floor --listen HOST:PORT --feed HOST:PORT --udp-to HOST:PORT --file PATH [--nodelay]
//
// Waits for the caller on --listen first, then connects to the feed; ends at
// the end of the feed.

#include "BenchIo.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

void Say(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

struct Outputs {
    int tcp;
    int udp;
    sockaddr_in udpTo;
    FILE* file;
};

bool Deliver(const Outputs& out, const char* line, std::size_t len) {
    if (!bench::WriteAll(out.tcp, line, len))
        return false;
    sendto(out.udp, line, len, 0, reinterpret_cast<const sockaddr*>(&out.udpTo), sizeof(out.udpTo));
    return std::fwrite(line, 1, len, out.file) == len;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    const bench::COptions opt(argc, argv, {"nodelay"});

    Outputs out{};
    const int listener = bench::ListenTcp(bench::ParseEndpoint(opt.Required("listen")));
    out.udp = bench::BindUdp(bench::Endpoint{"127.0.0.1", 0}, 0);
    bench::FillAddress(bench::ParseEndpoint(opt.Required("udp-to")), &out.udpTo);
    out.file = std::fopen(opt.Required("file").c_str(), "a");
    if (out.file == nullptr)
        bench::Fail("cannot open " + opt.Text("file"));
    Say("listening");
    out.tcp = bench::AcceptOne(listener, opt.Has("nodelay"));
    close(listener);

    const int feed = bench::ConnectTcp(bench::ParseEndpoint(opt.Required("feed")), 20000);
    if (feed < 0)
        bench::Fail("cannot connect to the feed");
    Say("connected");

    std::vector<char> buffer(1 << 16);
    std::size_t held = 0; // bytes of an unfinished line at the buffer's start
    for (;;) {
        const ssize_t n = read(feed, buffer.data() + held, buffer.size() - held);
        if (n <= 0)
            break;
        const std::size_t end = held + static_cast<std::size_t>(n);
        std::size_t start = 0;
        for (std::size_t i = held; i < end; ++i) {
            if (buffer[i] != '\n')
                continue;
            if (!Deliver(out, buffer.data() + start, i + 1 - start))
                bench::Fail("delivery failed");
            start = i + 1;
        }
        held = end - start;
        std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                  buffer.begin() + static_cast<std::ptrdiff_t>(end), buffer.begin());
    }
    std::fclose(out.file);
    close(out.tcp);
    close(feed);
    return 0;
}
