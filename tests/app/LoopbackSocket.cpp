#include "LoopbackSocket.h"

#include <cstdint>

#include <arpa/inet.h>
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
