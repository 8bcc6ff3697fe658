#include "app/ConsoleInput.h"

#include "port/PortHandler.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::size_t ReadChunk = 4096;
// A "line" without a line end is handed over at this length.
constexpr std::size_t MaxLine = 65536;
constexpr int RetryMs = 10;

} // namespace

CConsoleInput::CConsoleInput(int fd, IEventLoop& loop, std::function<CPortHandler*()> target)
    : m_fd(fd), m_loop(loop), m_target(std::move(target)) {
    if (::fcntl(m_fd, F_GETFL) < 0) {
        m_atEnd = true;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { OnReadable(); });
}

CConsoleInput::~CConsoleInput() {
    if (m_retry != 0) {
        m_loop.StopTimer(m_retry);
    }
}

void CConsoleInput::SetReading(bool on) {
    if (m_notifier != nullptr) {
        m_notifier->setEnabled(on && !m_atEnd);
    }
}

void CConsoleInput::OnReadable() {
    // The descriptor stays blocking: on a terminal its flags are shared with
    // standard output and with the shell. A read only follows readiness, so
    // it returns at once with what is there.
    pollfd ready{m_fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) {
        return;
    }
    char chunk[ReadChunk];
    const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        m_atEnd = true;
        SetReading(false);
        if (!m_pending.empty() && m_pending.back() != '\n') {
            m_pending += '\n';
        }
    } else {
        m_pending.append(chunk, static_cast<std::size_t>(n));
    }
    HandOver();
}

void CConsoleInput::HandOver() {
    m_retry = 0;
    for (;;) {
        std::size_t end = m_pending.find('\n');
        if (end == std::string::npos) {
            if (m_pending.size() < MaxLine) {
                break;
            }
            end = MaxLine;
            m_pending.insert(end, 1, '\n');
        }
        std::string_view line(m_pending.data(), end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        CPortHandler* port = m_target();
        if (port != nullptr && port->IsConnected()) {
            const int needed = static_cast<int>(line.size()) + 1;
            // A line that would never fit is handed over at once (the port
            // refuses it); any other waits for room.
            if (needed > port->RingBuffer().FreeSpace() && needed < port->BufferSize()) {
                SetReading(false);
                m_retry = m_loop.SingleShot(RetryMs, [this] { HandOver(); });
                return;
            }
            port->SendLine(line);
        }
        m_pending.erase(0, end + 1);
    }
    SetReading(true);
}
