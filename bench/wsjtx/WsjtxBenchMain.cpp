// The WSJT-X port's cost: Decode datagrams from 10 simulated clients (one
// per band) through the reader and the spot maker, every spot formatted as
// a "DX de" line and written to a log file as a log port does.
//
//   sw_wsjtx_bench [decodes] [seconds]
//
// Row 1 reads the decodes flat out in one thread, with no socket. Rows 2
// and 3 send them over loopback UDP from a second thread at 10,000 and
// 2,000 datagrams a second for the given seconds to a WsjtxListener on
// Qt's event loop, and count what arrived. CPU seconds are the reading
// thread's (the listener's for the loopback rows); peak RSS is the
// process's, datagrams made in advance included.
#include "WsjtxSender.h"
#include "platform/qt/SystemClock.h"
#include "routing/WsjtxSpotMaker.h"
#include "spots/SpotFormatter.h"
#include "transport/WsjtxListener.h"
#include "transport/WsjtxReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Clients = 10;
constexpr quint64 Dials[Clients] = {1840000,  3573000,  7074000,  10136000, 14074000,
                                    18100000, 21074000, 24915000, 28074000, 50313000};
constexpr int DistinctDecodes = 20000;

// Writes each spot's "DX de" line to a file, as a log port does.
class LogOutput : public IWsjtxOutput {
  public:
    explicit LogOutput(const IClock& clock) : m_formatter(m_options, clock) {
        m_file = std::tmpfile();
    }
    ~LogOutput() override { std::fclose(m_file); }
    void WsjtxSpot(const SpotFields& spot) override {
        m_formatter.FormatDxDe(spot);
        std::fwrite(m_formatter.Text().data(), 1, m_formatter.Text().size(), m_file);
        std::fputs("\r\n", m_file);
    }
    void WsjtxLine(std::string_view) override {}

  private:
    RouterOptions m_options;
    CSpotFormatter m_formatter;
    std::FILE* m_file = nullptr;
};

struct Datagram {
    int client;
    QByteArray bytes;
};

// A third CQs, the rest answers and reports, from 3,000 calls: most CQs
// are repeats within the interval, as on a busy band.
std::vector<Datagram> MakeDecodes() {
    std::vector<std::unique_ptr<WsjtxSender>> senders;
    for (int c = 0; c < Clients; ++c) {
        senders.push_back(std::make_unique<WsjtxSender>("WSJT-X - radio " + std::to_string(c)));
    }
    std::vector<Datagram> decodes;
    for (int i = 0; i < DistinctDecodes; ++i) {
        const int c = i % Clients;
        const std::string call = "K" + std::to_string(i % 10) + char('A' + (i / 10) % 26) +
                                 char('A' + (i / 260) % 26) + char('A' + (i / 6760) % 26);
        const std::string other = "G" + std::to_string((i + 3) % 10) + "XYZ";
        std::string message;
        switch (i % 3) {
        case 0:
            message = "CQ " + call + " FN42";
            break;
        case 1:
            message = other + " " + call + " -12";
            break;
        default:
            message = call + " " + other + " RR73";
            break;
        }
        const auto ms = static_cast<quint32>((i * 15000) % 86'400'000);
        decodes.push_back(
            {c, senders[c]->Decode(ms, -20 + i % 30, 200 + (i * 37) % 2800, message)});
    }
    return decodes;
}

std::vector<QByteArray> MakeStatuses() {
    std::vector<QByteArray> statuses;
    for (int c = 0; c < Clients; ++c) {
        WsjtxSender sender("WSJT-X - radio " + std::to_string(c));
        statuses.push_back(sender.Status(Dials[c], "FT8", "G4ABC", "IO91"));
    }
    return statuses;
}

double ThreadCpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

void PrintRow(const char* name, long offered, long sent, long read, double cpu,
              const CWsjtxSpotMaker& maker) {
    const auto& n = maker.GetCounts();
    std::printf("%-34s %9ld %9ld %9ld %8ld %8.2f %8.1fMB %7llu %7llu\n", name, offered, sent, read,
                sent - read, read > 0 ? cpu * 1e6 / static_cast<double>(read) : 0.0, PeakRssMb(),
                static_cast<unsigned long long>(n.Spots),
                static_cast<unsigned long long>(n.Repeats));
}

void FlatOut(long decodes, const std::vector<Datagram>& datagrams,
             const std::vector<QByteArray>& statuses) {
    SystemClock clock;
    WsjtxOptions options;
    LogOutput output(clock);
    CWsjtxSpotMaker maker(options, clock, output);
    WsjtxMessage message;
    for (const QByteArray& status : statuses) {
        CWsjtxReader::Read(status, message);
        maker.Take(message);
    }
    const double start = ThreadCpuSeconds(RUSAGE_THREAD);
    for (long i = 0; i < decodes; ++i) {
        if (CWsjtxReader::Read(datagrams[static_cast<std::size_t>(i % DistinctDecodes)].bytes,
                               message) == WsjtxRefusal::None) {
            maker.Take(message);
        }
    }
    PrintRow("reader + maker, flat out", 0, decodes, decodes,
             ThreadCpuSeconds(RUSAGE_THREAD) - start, maker);
}

// Sends at rate datagrams a second for seconds from one socket per client.
long Send(quint16 port, int rate, int seconds, const std::vector<Datagram>& datagrams,
          const std::vector<QByteArray>& statuses) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int sockets[Clients];
    for (int c = 0; c < Clients; ++c) {
        sockets[c] = ::socket(AF_INET, SOCK_DGRAM, 0);
        ::sendto(sockets[c], statuses[c].constData(), statuses[c].size(), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    const long total = static_cast<long>(rate) * seconds;
    const int perMs = rate / 1000;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long sent = 0;
    while (sent < total) {
        for (int k = 0; k < perMs && sent < total; ++k, ++sent) {
            const Datagram& d = datagrams[static_cast<std::size_t>(sent % DistinctDecodes)];
            ::sendto(sockets[d.client], d.bytes.constData(), d.bytes.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
        }
        next.tv_nsec += 1'000'000;
        if (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    for (int socket : sockets) {
        ::close(socket);
    }
    return sent;
}

void Loopback(const char* name, int rate, int seconds, const std::vector<Datagram>& datagrams,
              const std::vector<QByteArray>& statuses) {
    SystemClock clock;
    WsjtxOptions options;
    LogOutput output(clock);
    CWsjtxSpotMaker maker(options, clock, output);
    CWsjtxListener listener(maker, output);
    if (!listener.Open("127.0.0.1", 0)) {
        std::printf("%s: cannot listen\n", name);
        return;
    }
    std::atomic<long> sent{-1};
    const double start = ThreadCpuSeconds(RUSAGE_THREAD);
    std::thread sender(
        [&] { sent = Send(listener.LocalPort(), rate, seconds, datagrams, statuses); });
    QElapsedTimer afterLast;
    while (true) {
        // The listener's one-second timer wakes the loop when nothing comes.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (sent < 0) {
            continue;
        }
        if (!afterLast.isValid()) {
            afterLast.start();
        }
        const long expected = sent + Clients;
        if (static_cast<long>(listener.Datagrams()) >= expected || afterLast.elapsed() > 2000) {
            break;
        }
    }
    sender.join();
    const double cpu = ThreadCpuSeconds(RUSAGE_THREAD) - start;
    PrintRow(name, static_cast<long>(rate) * seconds, sent,
             static_cast<long>(listener.Datagrams()) - Clients, cpu, maker);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const long decodes = argc > 1 ? std::stol(argv[1]) : 1'000'000;
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 10;
    const std::vector<Datagram> datagrams = MakeDecodes();
    const std::vector<QByteArray> statuses = MakeStatuses();

    std::printf("WSJT-X port: Decode datagrams from %d clients through reader + spot maker + "
                "\"DX de\" log file\n\n",
                Clients);
    std::printf("%-34s %9s %9s %9s %8s %8s %10s %7s %7s\n", "row", "offered", "sent", "read",
                "dropped", "CPU s/M", "peak RSS", "spots", "repeats");
    FlatOut(decodes, datagrams, statuses);
    Loopback("loopback UDP, 10,000/s", 10000, seconds, datagrams, statuses);
    Loopback("loopback UDP, 2,000/s", 2000, seconds, datagrams, statuses);
    return 0;
}
