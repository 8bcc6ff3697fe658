#pragma once

// Small POSIX helpers shared by the end-to-end benchmark programs: the
// monotonic clock every program stamps with, loopback sockets, whole writes,
// the command-line options, and the sequence number that every benchmark
// line carries in its comment ("... cq #0001234 ...").

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Nanoseconds on CLOCK_MONOTONIC; comparable between processes of one machine.
std::int64_t MonotonicNs();

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;
};

// "127.0.0.1:17300" -> {host, port}; exits with a message on a malformed value.
Endpoint ParseEndpoint(const std::string& text);

// A listening TCP socket (SO_REUSEADDR, backlog 1).
int ListenTcp(const Endpoint& at);
// Blocks until one caller arrives; returns its socket, with TCP_NODELAY
// when noDelay is set.
int AcceptOne(int listener, bool noDelay);
// Connects, retrying every 20 ms for up to timeoutMs; -1 when it never worked.
int ConnectTcp(const Endpoint& to, int timeoutMs);
// A UDP socket bound to the endpoint (port 0 = any), receive buffer enlarged.
int BindUdp(const Endpoint& at, int receiveBufferBytes);
// Fills a sockaddr_in for sendto(); the storage is the caller's.
void FillAddress(const Endpoint& at, void* sockaddrIn);

// Writes every byte, retrying short writes; false on an error.
bool WriteAll(int fd, const char* data, std::size_t len);

// The sequence number of a benchmark line: the digits after the first "#"
// that is directly followed by a digit; -1 when the line carries none.
std::int64_t ExtractSeq(std::string_view line);

// "--name value" and "--flag" options; anything else is an error.
class COptions {
  public:
    COptions(int argc, char** argv, const std::vector<std::string>& flags);

    bool Has(const std::string& name) const { return m_values.count(name) != 0; }
    std::string Text(const std::string& name, const std::string& fallback = "") const;
    std::int64_t Number(const std::string& name, std::int64_t fallback) const;
    // Exits with the usage text when a required option is missing.
    std::string Required(const std::string& name) const;

  private:
    std::map<std::string, std::string> m_values;
    std::string m_program;
};

// Reads a whole file; exits with a message when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes a vector of 64-bit values as raw native-endian bytes.
void WriteInt64File(const std::string& path, const std::vector<std::int64_t>& values);

// Prints "<program>: <message>" and the errno text, then exits 1.
[[noreturn]] void Fail(const std::string& message);

} // namespace bench
