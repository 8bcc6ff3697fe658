#include "transport/DescriptorShortage.h"

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

CDescriptorShortage::CDescriptorShortage() {
    Reserve();
}

CDescriptorShortage::~CDescriptorShortage() {
    if (m_reserve >= 0) {
        ::close(m_reserve);
    }
}

void CDescriptorShortage::Reserve() {
    if (m_reserve < 0) {
        m_reserve = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
}

int CDescriptorShortage::RefuseWaiting(int listener, const std::string& line) {
    if (m_reserve >= 0) {
        ::close(m_reserve);
        m_reserve = -1;
    }
    int refused = 0;
    for (;;) {
        const int caller = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (caller < 0) {
            break;
        }
        [[maybe_unused]] const ssize_t n =
            ::send(caller, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        ::close(caller);
        ++refused;
    }
    Reserve();
    return refused;
}

std::string CDescriptorShortage::Describe() {
    if (m_reserve >= 0) {
        ::close(m_reserve);
        m_reserve = -1;
    }
    std::error_code error;
    long open = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error)) {
        ++open;
    }
    Reserve();
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    // The listing held the reserve's descriptor while it counted.
    return "out of file descriptors: " + std::to_string(open) + " open, limit " +
           std::to_string(limit.rlim_cur);
}
