#pragma once

#include <netinet/in.h>

#include <chrono>
#include <string>
#include <string_view>
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

// A TCP port on 127.0.0.1 that the test listens on.
class Listener {
  public:
    Listener();
    int Port() const { return BoundPort(m_fd.Get()); }
    // The next caller within the timeout, or none.
    Fd Accept(std::chrono::milliseconds timeout) const;

  private:
    Fd m_fd;
};

// A call to 127.0.0.1:port that is answered within the timeout, or none.
// The kernel drops now and then a call that arrives while the port closes
// its listening socket and opens the next; the caller then tries anew
// instead of waiting for the retransmission.
Fd Call(int port, std::chrono::milliseconds timeout);
bool SendAll(int fd, std::string_view bytes);
// Reads until n bytes came, the peer closed or the timeout passed.
std::string ReceiveBytes(int fd, std::size_t n, std::chrono::milliseconds timeout);
