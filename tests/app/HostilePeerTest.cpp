// The headless program under attack from its peers: a cluster node that
// sends garbage, a caller that connects and hangs up a thousand times, a
// flood of the largest datagrams, a serial line full of noise. Meanwhile a
// well-behaved feed keeps sending spots, each of which must reach the log
// within a second; memory must stay bounded and SIGTERM must still end the
// program with status 0.

#include "ChildProgram.h"
#include "LoopbackSocket.h"
#include "SetupText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace SetupText;

namespace {

constexpr auto RoutingBound = 1000ms;
// The address sanitizer keeps freed memory aside, up to 256 MB by default,
// to catch late uses; a flood of large reads fills it. That memory is the
// sanitizer's, so the bound on the program's own grows by it there.
#if defined(__SANITIZE_ADDRESS__)
constexpr long SanitizerQuarantineKiB = 256 * 1024;
#else
constexpr long SanitizerQuarantineKiB = 0;
#endif
constexpr long MemoryBoundKiB = 200 * 1024 + SanitizerQuarantineKiB;
constexpr int MaxUdpPayload = 65507;

// ------------------------------------------------------------ sockets

// Reads and drops what the peer sends until it closes its end.
bool HangsUpWithin(int fd, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    char chunk[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1) {
            return false;
        }
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
            return true;
        }
    }
}

// Closes with a reset instead of the orderly end.
void Abort(Fd& fd) {
    const linger hard{1, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    fd.Reset();
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

// ------------------------------------------------------------ the setup

// "DX de DL1ABC:    14000.3  VP8LP ...": a spot of its own for each i.
std::string Spot(int i, const std::string& dxCall = "VP8LP") {
    char frequency[16];
    std::snprintf(frequency, sizeof frequency, "%.1f", 14000.0 + (i % 1000) / 10.0);
    std::string call = dxCall;
    call.resize(13, ' ');
    return std::string("DX de DL1ABC:    ") + frequency + "  " + call +
           "CQ up 2                        1201Z";
}

std::string Section(const std::string& type, const std::string& name, const std::string& kind,
                    const std::string& router, int bufferSize = 32000,
                    const std::string& script = Script()) {
    std::string text = Port(type, name, 0, "A", script) + kind + router;
    const std::string size = "BufferSize=32000\n";
    text.replace(text.find(size), size.size(), Line("BufferSize", std::to_string(bufferSize)));
    return text;
}

// Port 1 FEED, a telnet client taking spots from the test's well-behaved
// node; port 2 LOG, the spots as "DX de" lines; port 3 the port under
// attack. FEED and the attacked port both route to LOG.
std::string SetupWith(int feedPort, const std::string& attacked) {
    return Header(3) +
           Section("TEL", "FEED",
                   Line("HostName", "127.0.0.1") + Line("PortNumber", std::to_string(feedPort)),
                   UserRouter(1, "G4ABC")) +
           Section("FILE", "LOG", Line("FileName", "spots.log"), CtRouter(5, 2)) + attacked +
           Routes(0, {2, 0, 0}) + Routes(0, {0, 0, 0}) + Routes(0, {2, 0, 0});
}

// ------------------------------------------------------------ watching

// Reads what the program appends to the log, a piece at a time.
class LogWatch {
  public:
    explicit LogWatch(fs::path path) : m_path(std::move(path)) {}
    bool Has(const std::string& line) {
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        char chunk[65536];
        ssize_t n = 0;
        while ((n = ::pread(fd, chunk, sizeof chunk, m_offset)) > 0) {
            m_offset += n;
            m_tail.append(chunk, static_cast<std::size_t>(n));
        }
        ::close(fd);
        const bool found = m_tail.find(line + "\n") != std::string::npos;
        // Keep only a partial last line: the lines before it are checked.
        const auto lastEnd = m_tail.rfind('\n');
        if (found) {
            m_tail.clear();
        } else if (lastEnd != std::string::npos && lastEnd + 1 < m_tail.size() &&
                   m_tail.size() > 1024 * 1024) {
            m_tail.erase(0, lastEnd + 1);
        }
        return found;
    }

  private:
    fs::path m_path;
    off_t m_offset = 0;
    std::string m_tail;
};

struct RoutingRecord {
    int spots = 0;
    std::chrono::milliseconds worst{0};
    long peakKiB = 0;
    bool lost = false;
};

// The feed's node sends spot after spot; each must show up in the log
// before the next one goes. Runs while the attack lasts, and at least
// minSpots times.
RoutingRecord KeepRouting(ChildProgram& program, int feed, LogWatch& log,
                          const std::atomic<bool>& attackOver, int minSpots) {
    RoutingRecord record;
    for (int i = 0; !attackOver || i < minSpots; ++i) {
        const std::string spot = Spot(i);
        const auto sent = std::chrono::steady_clock::now();
        if (!SendAll(feed, spot + "\r\n") || !WaitUntil([&] { return log.Has(spot); }, 10s)) {
            record.lost = true;
            ADD_FAILURE() << "spot " << i << " never reached the log";
            break;
        }
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - sent);
        record.worst = std::max(record.worst, took);
        ++record.spots;
        record.peakKiB = std::max(record.peakKiB, program.MemoryUse().peakKiB);
        std::this_thread::sleep_for(20ms);
    }
    return record;
}

// ------------------------------------------------------------ the fixture

class HostilePeerTest : public ::testing::Test {
  protected:
    // Starts the program with the attacked port's section, and takes the
    // feed's connection.
    void Start(const std::string& attacked, std::vector<std::string> extraArgs = {}) {
        WriteFileBytes(dir.Path() / "setup.ini", SetupWith(feedNode.Port(), attacked));
        std::vector<std::string> args{"--headless", "setup.ini", "/START"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        program = std::make_unique<ChildProgram>(dir.Path(), args);
        feed = feedNode.Accept(10s);
        ASSERT_GE(feed.Get(), 0) << program->Errors();
    }

    // Runs the attack on a thread of its own while the feed keeps routing;
    // then the program must still route, and end cleanly on SIGTERM.
    void Endure(const std::string& what, const std::function<void()>& attack) {
        std::atomic<bool> over{false};
        const auto started = std::chrono::steady_clock::now();
        std::chrono::milliseconds attackTook{0};
        std::thread attacker([&] {
            attack();
            attackTook = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - started);
            over = true;
        });
        LogWatch log(dir.Path() / "spots.log");
        const RoutingRecord record = KeepRouting(*program, feed.Get(), log, over, 5);
        over = true;
        attacker.join();

        EXPECT_FALSE(record.lost);
        EXPECT_LT(record.worst, RoutingBound) << what;
        const long peak = std::max(record.peakKiB, program->MemoryUse().peakKiB);
        EXPECT_GT(peak, 0);
        EXPECT_LT(peak, MemoryBoundKiB) << what;
        std::printf("[ measured ] %s: attack %lld ms, %d spots routed, slowest %lld ms, "
                    "peak resident %ld KiB\n",
                    what.c_str(), static_cast<long long>(attackTook.count()), record.spots,
                    static_cast<long long>(record.worst.count()), peak);
        RecordProperty("peak_resident_kib", std::to_string(peak));
        RecordProperty("slowest_spot_ms", std::to_string(record.worst.count()));

        program->Signal(SIGTERM);
        EXPECT_TRUE(program->WaitForEnd(10s));
        EXPECT_EQ(program->How(), "exit 0") << program->Errors().substr(0, 2000);
    }

    ScratchFolder dir;
    Listener feedNode;
    Fd feed;
    std::unique_ptr<ChildProgram> program;
};

// A node of our own that the attacked telnet client connects to; it sends
// the payload once and hangs up.
struct TelnetPayload {
    const char* name;
    std::function<std::string()> bytes;
};

class HostileNodeTest : public HostilePeerTest,
                        public ::testing::WithParamInterface<TelnetPayload> {};

TEST_P(HostileNodeTest, FeedKeepsRoutingAndSigtermEndsCleanly) {
    Listener hostile;
    // Room for a whole 100 kB line, so that such lines reach the routers.
    Start(
        Section("TEL", "NODE",
                Line("HostName", "127.0.0.1") + Line("PortNumber", std::to_string(hostile.Port())),
                UserRouter(1, "G4ABC"), 200000));
    const std::string payload = GetParam().bytes();
    bool sent = false;
    bool readToTheEnd = false;
    Endure(GetParam().name, [&] {
        Fd node = hostile.Accept(10s);
        sent = node.Get() >= 0 && SendAll(node.Get(), payload);
        // The program hangs up once it has read everything up to our end.
        ::shutdown(node.Get(), SHUT_WR);
        readToTheEnd = sent && HangsUpWithin(node.Get(), 30s);
    });
    EXPECT_TRUE(sent);
    EXPECT_TRUE(readToTheEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, HostileNodeTest,
    ::testing::Values(TelnetPayload{"TenMegabytesWithoutLineEnd",
                                    [] { return std::string(10 * 1024 * 1024, 'x'); }},
                      TelnetPayload{"MillionIacDo",
                                    [] {
                                        std::string bytes;
                                        bytes.reserve(3 * 1000 * 1000);
                                        for (int i = 0; i < 1000 * 1000; ++i) {
                                            bytes += "\xff\xfd";
                                            bytes += static_cast<char>(i % 40);
                                        }
                                        return bytes;
                                    }},
                      TelnetPayload{"TenMegabytesRandomBinary",
                                    [] { return RandomBytes(10 * 1024 * 1024, 7); }},
                      TelnetPayload{"HundredLinesOfHundredKilobytes",
                                    [] {
                                        std::string bytes;
                                        for (int i = 0; i < 100; ++i) {
                                            std::string line = "DX de K1XYZ:     7005.5  ZL7G   ";
                                            line.resize(100 * 1000,
                                                        static_cast<char>('a' + i % 26));
                                            bytes += line + "\r\n";
                                        }
                                        return bytes;
                                    }}),
    [](const ::testing::TestParamInfo<TelnetPayload>& info) { return info.param.name; });

TEST_F(HostilePeerTest, CallerConnectsAndHangsUpThousandTimes) {
    const int port = FreePort(SOCK_STREAM);
    // The port listens again at once after each hang-up.
    Start(Section("RXTEL", "CALLIN",
                  Line("HostName", "127.0.0.1") + Line("PortNumber", std::to_string(port)),
                  UserRouter(1, "G4ABC"), 32000, Script({}, 1, 0)));
    int calls = 0;
    int unanswered = 0;
    bool heardAfterwards = false;
    Endure("1000 calls", [&] {
        const auto end = std::chrono::steady_clock::now() + 40s;
        while (calls < 1000 && std::chrono::steady_clock::now() < end) {
            Fd caller = Call(port, 20ms);
            if (caller.Get() < 0) {
                ++unanswered;
                continue;
            }
            ++calls;
            SendAll(caller.Get(), "login: \xff\xfd\x18" + Spot(calls, "ZZ9ZZ") + "\r\n");
            if (calls % 2 == 0) {
                Abort(caller);
            }
        }
        // A caller after the storm is heard.
        LogWatch log(dir.Path() / "spots.log");
        Fd caller;
        const bool answered = WaitUntil(
            [&] {
                caller = Call(port, 100ms);
                return caller.Get() >= 0;
            },
            10s);
        heardAfterwards = answered && SendAll(caller.Get(), Spot(1, "K1ABC") + "\r\n") &&
                          WaitUntil([&] { return log.Has(Spot(1, "K1ABC")); }, 5s);
    });
    EXPECT_EQ(calls, 1000);
    EXPECT_TRUE(heardAfterwards);
    std::printf("[ measured ] %d calls answered, %d attempts unanswered within 20 ms\n", calls,
                unanswered);
}

TEST_F(HostilePeerTest, FloodOfLargestDatagrams) {
    const int port = FreePort(SOCK_DGRAM);
    // Room for the whole datagram, so that each one is taken and routed.
    Start(Section("CTE", "CTNET",
                  Line("MyIP", "127.0.0.1") + Line("BroadcastIP", "127.255.255.255") +
                      Line("PortNumber", std::to_string(port)),
                  CtRouter(4, 0), 70000));
    long datagrams = 0;
    Endure("3 s UDP flood", [&] {
        // From another loopback address: the port ignores its own.
        Fd sender(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        const sockaddr_in from = Loopback("127.0.0.2", 0);
        ::bind(sender.Get(), reinterpret_cast<const sockaddr*>(&from), sizeof from);
        const sockaddr_in to = Loopback("127.0.0.1", port);
        const std::string noise = RandomBytes(4 * MaxUdpPayload, 11);
        const auto end = std::chrono::steady_clock::now() + 3s;
        while (std::chrono::steady_clock::now() < end) {
            const char* start = noise.data() + (datagrams % 3) * MaxUdpPayload;
            if (::sendto(sender.Get(), start, MaxUdpPayload, 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to) == MaxUdpPayload) {
                ++datagrams;
            }
        }
    });
    EXPECT_GT(datagrams, 1000);
    std::printf("[ measured ] %ld datagrams of %d bytes sent\n", datagrams, MaxUdpPayload);
}

TEST_F(HostilePeerTest, SerialLineFullOfNoise) {
    Fd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_GE(master.Get(), 0);
    ASSERT_EQ(::grantpt(master.Get()), 0);
    ASSERT_EQ(::unlockpt(master.Get()), 0);
    const std::string device = ::ptsname(master.Get());
    Start(Section("COM", "TNC",
                  Line("ComPort", device) +
                      "BaudRate=19200\nBits=8\nParity=0\nStopBits=0\nFlowControl=0\n",
                  UserRouter(1, "G4ABC")),
          {"--follow"});
    ASSERT_TRUE(WaitUntil(
        [&] { return program->Errors().find("TNC: Port connected") != std::string::npos; }, 10s))
        << program->Errors().substr(0, 2000);
    const std::string noise = RandomBytes(10 * 1024 * 1024, 13);
    bool sent = false;
    Endure("10 MB serial noise", [&] {
        sent = true;
        for (std::string_view rest = noise; !rest.empty();) {
            const ssize_t n =
                ::write(master.Get(), rest.data(), std::min<std::size_t>(rest.size(), 4096));
            if (n <= 0) {
                sent = false;
                break;
            }
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
        // The program takes the hang-up only after what came before it.
        master.Reset();
        WaitUntil(
            [&] { return program->Errors().find("TNC: Port disconnected") != std::string::npos; },
            30s);
    });
    EXPECT_TRUE(sent);
    EXPECT_NE(program->Errors().find("TNC: Port disconnected"), std::string::npos);
}

} // namespace
