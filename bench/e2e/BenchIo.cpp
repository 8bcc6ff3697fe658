#include "BenchIo.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

std::int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

[[noreturn]] void Fail(const std::string& message) {
    const int err = errno;
    std::fprintf(stderr, "bench: %s%s%s\n", message.c_str(), err ? ": " : "",
                 err ? std::strerror(err) : "");
    std::exit(1);
}

Endpoint ParseEndpoint(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        errno = 0;
        Fail("not host:port: " + text);
    }
    const long port = std::strtol(text.c_str() + colon + 1, nullptr, 10);
    if (port < 0 || port > 65535) {
        errno = 0;
        Fail("port out of range: " + text);
    }
    return Endpoint{text.substr(0, colon), static_cast<std::uint16_t>(port)};
}

void FillAddress(const Endpoint& at, void* sockaddrIn) {
    auto* addr = static_cast<sockaddr_in*>(sockaddrIn);
    std::memset(addr, 0, sizeof(*addr));
    addr->sin_family = AF_INET;
    addr->sin_port = htons(at.port);
    if (inet_pton(AF_INET, at.host.c_str(), &addr->sin_addr) != 1) {
        errno = 0;
        Fail("not a dotted IPv4 address: " + at.host);
    }
}

int ListenTcp(const Endpoint& at) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        Fail("socket");
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    FillAddress(at, &addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        Fail("bind " + at.host + ":" + std::to_string(at.port));
    if (listen(fd, 1) != 0)
        Fail("listen");
    return fd;
}

int AcceptOne(int listener, bool noDelay) {
    for (;;) {
        const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            const int one = 1;
            if (noDelay)
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
            return fd;
        }
        if (errno != EINTR)
            Fail("accept");
    }
}

int ConnectTcp(const Endpoint& to, int timeoutMs) {
    sockaddr_in addr{};
    FillAddress(to, &addr);
    const std::int64_t deadline = MonotonicNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
    for (;;) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            Fail("socket");
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
            const int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
            return fd;
        }
        close(fd);
        if (MonotonicNs() >= deadline)
            return -1;
        usleep(20000);
    }
}

int BindUdp(const Endpoint& at, int receiveBufferBytes) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        Fail("socket");
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    if (receiveBufferBytes > 0) {
        // The forcing variant passes the system limit when running as root.
        if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &receiveBufferBytes,
                       sizeof(receiveBufferBytes)) != 0)
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof(receiveBufferBytes));
    }
    sockaddr_in addr{};
    FillAddress(at, &addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        Fail("bind udp " + at.host + ":" + std::to_string(at.port));
    return fd;
}

bool WriteAll(int fd, const char* data, std::size_t len) {
    while (len > 0) {
        const ssize_t n = write(fd, data, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

std::int64_t ExtractSeq(std::string_view line) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] != '#' || line[i + 1] < '0' || line[i + 1] > '9')
            continue;
        std::int64_t value = 0;
        for (std::size_t k = i + 1; k < line.size() && line[k] >= '0' && line[k] <= '9'; ++k)
            value = value * 10 + (line[k] - '0');
        return value;
    }
    return -1;
}

COptions::COptions(int argc, char** argv, const std::vector<std::string>& flags)
    : m_program(argc > 0 ? argv[0] : "bench") {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            errno = 0;
            Fail("unexpected argument " + arg);
        }
        const std::string name = arg.substr(2);
        bool isFlag = false;
        for (const auto& f : flags)
            isFlag = isFlag || f == name;
        if (isFlag) {
            m_values.insert_or_assign(name, std::string(1, '1'));
        } else if (i + 1 < argc) {
            m_values.insert_or_assign(name, std::string(argv[++i]));
        } else {
            errno = 0;
            Fail("option " + arg + " needs a value");
        }
    }
}

std::string COptions::Text(const std::string& name, const std::string& fallback) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

std::int64_t COptions::Number(const std::string& name, std::int64_t fallback) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? fallback : std::strtoll(it->second.c_str(), nullptr, 10);
}

std::string COptions::Required(const std::string& name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end()) {
        errno = 0;
        Fail(m_program + " needs --" + name);
    }
    return it->second;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteInt64File(const std::string& path, const std::vector<std::int64_t>& values) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        Fail("cannot write " + path);
    if (!values.empty())
        std::fwrite(values.data(), sizeof(std::int64_t), values.size(), f);
    std::fclose(f);
}

} // namespace bench
