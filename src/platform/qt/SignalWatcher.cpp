#include "platform/qt/SignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the pipe, for the handler.
volatile std::sig_atomic_t g_writeFd = -1;

void Install(int signo, void (*handler)(int), struct sigaction* previous = nullptr) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signo, &action, previous);
}

} // namespace

void CSignalWatcher::Handler(int signo) {
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    if (g_writeFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    }
    errno = saved;
}

CSignalWatcher::CSignalWatcher(std::function<void(int)> onSignal, std::function<void()> onHangUp)
    : m_onSignal(std::move(onSignal)), m_onHangUp(std::move(onHangUp)) {
    Install(SIGPIPE, SIG_IGN);
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_problem = std::string("spotweaver: cannot watch for SIGINT and SIGTERM (") +
                    std::strerror(errno) + "); they end the program at once\n";
        return;
    }
    g_writeFd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { OnReadable(); });
    Install(SIGINT, &CSignalWatcher::Handler, &m_previousInt);
    Install(SIGTERM, &CSignalWatcher::Handler, &m_previousTerm);
    if (m_onHangUp) {
        Install(SIGHUP, &CSignalWatcher::Handler, &m_previousHup);
    }
}

CSignalWatcher::~CSignalWatcher() {
    if (m_notifier != nullptr) {
        ::sigaction(SIGINT, &m_previousInt, nullptr);
        ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        if (m_onHangUp) {
            ::sigaction(SIGHUP, &m_previousHup, nullptr);
        }
    }
    g_writeFd = -1;
    m_notifier.reset();
    for (int fd : m_pipe) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void CSignalWatcher::OnReadable() {
    char bytes[16];
    const ssize_t n = ::read(m_pipe[0], bytes, sizeof bytes);
    for (ssize_t i = 0; i < n; ++i) {
        const int signo = static_cast<unsigned char>(bytes[i]);
        if (signo == SIGHUP && m_onHangUp) {
            m_onHangUp();
        } else {
            m_onSignal(signo);
        }
    }
}
