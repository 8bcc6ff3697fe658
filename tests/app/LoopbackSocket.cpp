#include "LoopbackSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

void Fd::Reset(int fd) {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
}

sockaddr_in Loopback(const char* address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &a.sin_addr);
    return a;
}

int BoundPort(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

int FreePort(int type) {
    Fd fd(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
    const sockaddr_in a = Loopback("127.0.0.1", 0);
    ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return BoundPort(fd.Get());
}

Listener::Listener() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const sockaddr_in a = Loopback("127.0.0.1", 0);
    ::bind(m_fd.Get(), reinterpret_cast<const sockaddr*>(&a), sizeof a);
    ::listen(m_fd.Get(), 8);
}

Fd Listener::Accept(std::chrono::milliseconds timeout) const {
    pollfd p{m_fd.Get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) {
        return Fd();
    }
    return Fd(::accept4(m_fd.Get(), nullptr, nullptr, SOCK_CLOEXEC));
}

Fd Call(int port, std::chrono::milliseconds timeout) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const sockaddr_in to = Loopback("127.0.0.1", port);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        pollfd p{fd.Get(), POLLOUT, 0};
        int error = 0;
        socklen_t len = sizeof error;
        if (errno != EINPROGRESS || ::poll(&p, 1, static_cast<int>(timeout.count())) != 1 ||
            ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            if (errno == ECONNREFUSED || error == ECONNREFUSED) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return Fd();
        }
    }
    ::fcntl(fd.Get(), F_SETFL, 0);
    return fd;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string ReceiveBytes(int fd, std::size_t n, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    std::string got;
    char chunk[4096];
    while (got.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1) {
            break;
        }
        const ssize_t r = ::recv(fd, chunk, std::min(sizeof chunk, n - got.size()), 0);
        if (r == 0 || (r < 0 && errno != EINTR)) {
            break;
        }
        if (r > 0) {
            got.append(chunk, static_cast<std::size_t>(r));
        }
    }
    return got;
}
