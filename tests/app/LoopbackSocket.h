#pragma once

#include <netinet/in.h>

#include <utility>

// Sockets on the loopback network for the end-to-end tests.

// An owned descriptor, closed when it goes.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        Reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    ~Fd() { Reset(); }
    int Get() const { return m_fd; }
    void Reset(int fd = -1);

  private:
    int m_fd = -1;
};

// address ("127.0.0.1") and port as a socket address.
sockaddr_in Loopback(const char* address, int port);
// The local port a socket is bound to.
int BoundPort(int fd);
// A port number of 127.0.0.1 that nobody uses at the moment, for the
// program to take (SOCK_STREAM or SOCK_DGRAM).
int FreePort(int type);
