#include "transport/WriteQueue.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

CWriteQueue::CWriteQueue(std::size_t limit) : m_limit(limit) {}

CWriteQueue::~CWriteQueue() {
    Stop();
}

void CWriteQueue::Start(int fd, std::function<void(int)> onError) {
    Stop();
    m_onError = std::move(onError);
    Attach(fd);
}

void CWriteQueue::SwitchTo(int fd) {
    Watch(false);
    Attach(fd);
    Watch(Pending() > 0 && !m_holding);
}

void CWriteQueue::Attach(int fd) {
    m_fd = fd;
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    m_socket = known && S_ISSOCK(info.st_mode);
    const int flags = ::fcntl(fd, F_GETFL);
    m_guarded =
        !m_socket && !(known && S_ISREG(info.st_mode)) && flags >= 0 && (flags & O_NONBLOCK) == 0;
}

void CWriteQueue::Stop() {
    if (m_enlisted) {
        COutputBatch::Forget(*this);
        m_enlisted = false;
    }
    Watch(false);
    m_bytes.clear();
    m_sent = 0;
    m_fd = -1;
    m_holding = false;
}

bool CWriteQueue::IsNoRoom(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool CWriteQueue::Holds(int error) {
    if (!m_holdWhenFull || !IsNoRoom(error)) {
        return false;
    }
    // A regular file always looks writable: only Retry tries again.
    m_holding = true;
    Watch(false);
    return true;
}

void CWriteQueue::Retry() {
    if (!m_holding) {
        return;
    }
    m_holding = false;
    Flush();
}

std::size_t CWriteQueue::PendingLines() const {
    return static_cast<std::size_t>(
        std::count(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_sent), m_bytes.end(), '\n'));
}

bool CWriteQueue::Write(const char* data, std::size_t len) {
    if (m_fd < 0 || len == 0) {
        return true;
    }
    if (Pending() + len > m_limit) {
        return false;
    }
    if (COutputBatch::IsOpen()) {
        if (!m_enlisted) {
            m_enlisted = true;
            COutputBatch::Enlist(*this);
        }
        m_bytes.append(data, len);
        return true;
    }
    std::size_t sent = 0;
    if (Pending() == 0 && !m_holding) {
        while (sent < len) {
            const long n = WriteSome(data + sent, len - sent);
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                const int error = errno;
                if (Holds(error)) {
                    // The rest of a line torn by a full disk goes first
                    // when there is room again.
                    m_bytes.append(data + sent, len - sent);
                    m_onError(error);
                    return true;
                }
                m_onError(error);
                return true;
            }
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        if (sent == len) {
            return true;
        }
    }
    m_bytes.append(data + sent, len - sent);
    Watch(!m_holding);
    return true;
}

void CWriteQueue::FlushBatch() {
    m_enlisted = false;
    // Bytes held for a full disk wait for Retry, the batch's behind them.
    if (m_fd < 0 || m_holding) {
        return;
    }
    Flush();
    Watch(Pending() > 0 && !m_holding);
}

void CWriteQueue::Flush() {
    while (Pending() > 0) {
        const long n = WriteSome(m_bytes.data() + m_sent, Pending());
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return;
            }
            const int error = errno;
            if (Holds(error)) {
                m_onError(error);
                return;
            }
            m_bytes.clear();
            m_sent = 0;
            Watch(false);
            // The owner may stop or restart this queue from here.
            m_onError(error);
            return;
        }
        m_sent += static_cast<std::size_t>(n);
    }
    m_bytes.clear();
    m_sent = 0;
    Watch(false);
}

bool CWriteQueue::Drain(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Pending() > 0 && m_fd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
        Flush();
    }
    return Pending() == 0;
}

long CWriteQueue::WriteSome(const char* data, std::size_t len) const {
    if (m_guarded) {
        // A blocking pipe or terminal: a writable one takes this much at once.
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLOUT) == 0) {
            if ((p.revents & (POLLERR | POLLHUP)) == 0) {
                errno = EAGAIN;
                return -1;
            }
        }
        len = std::min<std::size_t>(len, PIPE_BUF);
    }
    ssize_t n = 0;
    do {
        n = m_socket ? ::send(m_fd, data, len, MSG_DONTWAIT | MSG_NOSIGNAL)
                     : ::write(m_fd, data, len);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

void CWriteQueue::Watch(bool on) {
    if (on && m_notifier == nullptr) {
        if (QCoreApplication::instance() == nullptr) {
            return;
        }
        m_notifier = new QSocketNotifier(QSocketNotifier::Write, &m_context);
        QObject::connect(m_notifier, &QSocketNotifier::activated, &m_context, [this] { Flush(); });
    }
    if (m_notifier == nullptr) {
        return;
    }
    if (on && m_notifier->socket() != m_fd) {
        m_notifier->setSocket(m_fd);
    }
    m_notifier->setEnabled(on);
}
