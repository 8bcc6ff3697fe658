#include "transport/ComWriter.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

CComWriter::CComWriter(IEventLoop& loop, std::function<void(int)> onError)
    : m_loop(loop), m_onError(std::move(onError)) {}

CComWriter::~CComWriter() {
    Stop();
}

void CComWriter::Start(int fd) {
    Stop();
    m_fd = fd;
    if (m_notifier == nullptr) {
        m_notifier = new QSocketNotifier(QSocketNotifier::Write, &m_context);
        QObject::connect(m_notifier, &QSocketNotifier::activated, &m_context, [this] { Flush(); });
    }
    m_notifier->setSocket(fd);
}

void CComWriter::Stop() {
    StopTimer();
    if (m_notifier != nullptr) {
        m_notifier->setEnabled(false);
    }
    m_queue.clear();
    m_fd = -1;
}

void CComWriter::Write(const char* data, std::size_t len) {
    if (m_fd < 0 || len == 0) {
        return;
    }
    std::size_t sent = 0;
    if (m_queue.empty()) {
        const long n = WriteSome(data, len);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            m_onError(errno);
            return;
        }
        sent = n < 0 ? 0 : static_cast<std::size_t>(n);
        if (sent == len) {
            return;
        }
    }
    m_queue.push_back(Chunk{std::string(data + sent, len - sent), 0,
                            Clock::now() + std::chrono::milliseconds(TimeoutMs)});
    m_notifier->setEnabled(true);
    if (m_timer == 0) {
        ArmTimer();
    }
}

std::size_t CComWriter::Pending() const {
    std::size_t bytes = 0;
    for (const Chunk& chunk : m_queue) {
        bytes += chunk.bytes.size() - chunk.sent;
    }
    return bytes;
}

void CComWriter::Flush() {
    while (!m_queue.empty()) {
        Chunk& front = m_queue.front();
        const long n = WriteSome(front.bytes.data() + front.sent, front.bytes.size() - front.sent);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return;
            }
            const int error = errno;
            m_queue.pop_front();
            m_onError(error);
            continue;
        }
        front.sent += static_cast<std::size_t>(n);
        if (front.sent < front.bytes.size()) {
            return;
        }
        m_queue.pop_front();
    }
    m_notifier->setEnabled(false);
    StopTimer();
}

void CComWriter::DropExpired() {
    m_timer = 0;
    const Clock::time_point now = Clock::now();
    while (!m_queue.empty() && m_queue.front().deadline <= now) {
        m_queue.pop_front();
        m_onError(ETIMEDOUT);
    }
    if (m_queue.empty()) {
        if (m_notifier != nullptr) {
            m_notifier->setEnabled(false);
        }
        return;
    }
    ArmTimer();
}

void CComWriter::ArmTimer() {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        m_queue.front().deadline - Clock::now());
    const int ms = static_cast<int>(std::max<std::chrono::milliseconds::rep>(1, left.count() + 1));
    m_timer = m_loop.SingleShot(ms, [this] { DropExpired(); });
}

void CComWriter::StopTimer() {
    if (m_timer != 0) {
        m_loop.StopTimer(m_timer);
        m_timer = 0;
    }
}

long CComWriter::WriteSome(const char* data, std::size_t len) const {
    ssize_t n = 0;
    do {
        n = ::write(m_fd, data, len);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}
