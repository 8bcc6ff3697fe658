#include "transport/ComDevice.h"

#include "setup/NamedFile.h"

#include "transport/ComSettings.h"
#include "transport/ComTermios.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Linux releases the descriptor even when close is interrupted; retrying
// could close a descriptor opened meanwhile.
void CloseFd(int fd) {
    ::close(fd);
}

constexpr const char* InUse = "in use by another port or program";

} // namespace

CComDevice::~CComDevice() {
    Close();
}

CComDevice::OpenResult CComDevice::Open(const std::string& path, const CComSettings& settings) {
    Close();
    const NamedFile::Opened opened =
        NamedFile::Open(path, O_RDWR | O_NOCTTY, NamedFile::Kind::CharDevice);
    if (opened.fd < 0) {
        // A terminal in exclusive mode refuses a second opener that is not root.
        m_refusal = opened.error == EBUSY ? InUse : opened.why;
        return opened.wrongKind ? OpenResult::WrongKind : OpenResult::OpenFailed;
    }
    const int fd = opened.fd;
    // A terminal's exclusive mode keeps later openers out, but not root; the
    // advisory lock also keeps out a second port or program run as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_refusal = errno == EWOULDBLOCK ? InUse : std::strerror(errno);
        CloseFd(fd);
        return OpenResult::OpenFailed;
    }
    // Fails on something that is not a terminal, which tcgetattr reports.
    ::ioctl(fd, TIOCEXCL);
    ::tcflush(fd, TCIOFLUSH);

    termios attributes{};
    if (::tcgetattr(fd, &attributes) != 0) {
        m_refusal = std::strerror(errno);
        ::ioctl(fd, TIOCNXCL);
        CloseFd(fd);
        return OpenResult::GetStateFailed;
    }
    if (!ComTermios::Configure(settings, attributes)) {
        m_refusal = "the line cannot take this baud rate, bits and stop bits";
        ::ioctl(fd, TIOCNXCL);
        CloseFd(fd);
        return OpenResult::SetStateFailed;
    }
    if (::tcsetattr(fd, TCSANOW, &attributes) != 0) {
        m_refusal = std::strerror(errno);
        ::ioctl(fd, TIOCNXCL);
        CloseFd(fd);
        return OpenResult::SetStateFailed;
    }
    m_fd = fd;
    return OpenResult::Ok;
}

void CComDevice::RaiseModemLines(bool rtsToo) {
    if (m_fd < 0) {
        return;
    }
    // A pseudo-terminal has no modem lines; nothing to do then.
    int lines = TIOCM_DTR | (rtsToo ? TIOCM_RTS : 0);
    ::ioctl(m_fd, TIOCMBIS, &lines);
}

void CComDevice::Close() {
    if (m_fd < 0) {
        return;
    }
    int dtr = TIOCM_DTR;
    ::ioctl(m_fd, TIOCMBIC, &dtr);
    ::tcflush(m_fd, TCIOFLUSH);
    // The terminal may outlive this descriptor (another process holds it);
    // it must not stay closed to everyone else.
    ::ioctl(m_fd, TIOCNXCL);
    CloseFd(m_fd);
    m_fd = -1;
}

long CComDevice::Read(char* buffer, std::size_t max) {
    ssize_t n = 0;
    do {
        n = ::read(m_fd, buffer, max);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

int CComDevice::Queued() const {
    int queued = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &queued) != 0) {
        return -1;
    }
    return queued;
}
