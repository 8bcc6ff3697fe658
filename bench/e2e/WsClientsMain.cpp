// sw_bench_ws: the web bench's WebSocket clients, all in one process that
// reads every stream through one epoll set, so that 200 clients cost the
// shared cores little beside the program they measure.
//
//   sw_bench_ws PORT STREAMS TIMED
//
// Opens STREAMS streams on 127.0.0.1:PORT/ws and prints "ready". Every
// stream is read as soon as it has data; the first TIMED also have their
// frames read, and the first receipt of each spotted call is stamped on the
// monotonic clock. A line "stop" (or the end of) stdin ends the run; it then
// prints, per timed stream, "T <stream> <call> <ns>" lines, then
// "closed <streams the server closed>" and "cpu <own user+system seconds>".

#include "BenchIo.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

struct Stream {
    int fd = -1;
    bool timed = false;
    std::string buffer;
    std::unordered_map<std::string, std::int64_t> firstSeen;
};

// The upgrade by hand; leftover bytes after the head go to buffer. The key
// is the protocol's sample key: the server does not care which it gets.
bool Upgrade(int fd, std::uint16_t port, std::string& buffer) {
    const std::string head = "GET /ws HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                             "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                             "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                             "Sec-WebSocket-Version: 13\r\n\r\n";
    if (!bench::WriteAll(fd, head.data(), head.size())) {
        return false;
    }
    char chunk[4096];
    while (buffer.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) {
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    if (buffer.compare(0, 12, "HTTP/1.1 101") != 0) {
        return false;
    }
    buffer.erase(0, buffer.find("\r\n\r\n") + 4);
    return true;
}

// Stamps the calls of the whole text frames at the front of the buffer.
void ReadFrames(Stream& stream, std::int64_t now) {
    static constexpr std::string_view Marker = "\"spotted\":\"";
    std::string& b = stream.buffer;
    std::size_t at = 0;
    while (b.size() - at >= 2) {
        const auto opcode = static_cast<unsigned char>(b[at]) & 0x0f;
        std::uint64_t size = static_cast<unsigned char>(b[at + 1]) & 0x7f;
        std::size_t head = 2;
        if (size >= 126) {
            const std::size_t bytes = size == 126 ? 2 : 8;
            if (b.size() - at < 2 + bytes) {
                break;
            }
            size = 0;
            for (std::size_t i = 0; i < bytes; ++i) {
                size = size << 8 | static_cast<unsigned char>(b[at + 2 + i]);
            }
            head += bytes;
        }
        if (b.size() - at < head + size) {
            break;
        }
        if (opcode == 1) {
            const std::string_view text(b.data() + at + head, size);
            const std::size_t m = text.find(Marker);
            if (m != std::string_view::npos) {
                const std::size_t from = m + Marker.size();
                const std::size_t to = text.find('"', from);
                stream.firstSeen.emplace(std::string(text.substr(from, to - from)), now);
            }
        }
        at += head + size;
    }
    b.erase(0, at);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: sw_bench_ws PORT STREAMS TIMED\n");
        return 2;
    }
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const int count = std::atoi(argv[2]);
    const int timed = std::atoi(argv[3]);
    std::vector<Stream> streams(static_cast<std::size_t>(count));
    const int poller = ::epoll_create1(0);
    for (int i = 0; i < count; ++i) {
        Stream& s = streams[static_cast<std::size_t>(i)];
        s.timed = i < timed;
        s.fd = bench::ConnectTcp({"127.0.0.1", port}, 10000);
        if (s.fd < 0 || !Upgrade(s.fd, port, s.buffer)) {
            std::fprintf(stderr, "sw_bench_ws: stream %d did not open\n", i);
            return 1;
        }
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u32 = static_cast<std::uint32_t>(i);
        ::epoll_ctl(poller, EPOLL_CTL_ADD, s.fd, &e);
    }
    epoll_event in{};
    in.events = EPOLLIN;
    in.data.u32 = static_cast<std::uint32_t>(count);
    ::epoll_ctl(poller, EPOLL_CTL_ADD, STDIN_FILENO, &in);
    std::printf("ready\n");
    std::fflush(stdout);

    int closed = 0;
    bool stop = false;
    std::vector<char> chunk(256 * 1024);
    epoll_event ready[256];
    while (!stop) {
        const int n = ::epoll_wait(poller, ready, 256, 1000);
        const std::int64_t now = bench::MonotonicNs();
        for (int k = 0; k < n; ++k) {
            const std::uint32_t i = ready[k].data.u32;
            if (i == static_cast<std::uint32_t>(count)) {
                stop = true;
                continue;
            }
            Stream& s = streams[i];
            const ssize_t got = ::recv(s.fd, chunk.data(), chunk.size(), MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                ::epoll_ctl(poller, EPOLL_CTL_DEL, s.fd, nullptr);
                ++closed;
                continue;
            }
            if (got > 0 && s.timed) {
                s.buffer.append(chunk.data(), static_cast<std::size_t>(got));
                ReadFrames(s, now);
            }
        }
    }
    for (int i = 0; i < timed && i < count; ++i) {
        for (const auto& [call, ns] : streams[static_cast<std::size_t>(i)].firstSeen) {
            std::printf("T %d %s %lld\n", i, call.c_str(), static_cast<long long>(ns));
        }
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("closed %d\ncpu %.3f\n", closed, cpu);
    for (const Stream& s : streams) {
        ::close(s.fd);
    }
    return 0;
}
