#include "app/StdStreams.h"

#include "transport/WriteQueue.h"

#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Output a reader has not taken yet; a terminal paused for hours on a busy
// cluster must not take all memory.
constexpr std::size_t MaxWaiting = 16 * 1024 * 1024;
constexpr int ExitWaitMs = 5000;
constexpr int OutsideLoopWaitMs = 2000;

// A descriptor for writing to fd's file without blocking and without
// touching fd's flags. A regular file never blocks and a socket is sent to
// with MSG_DONTWAIT, so fd serves; a pipe or terminal is opened again,
// non-blocking. Where that fails the queue writes to fd only when it is
// writable, a pipe's atomic size at a time.
int NonBlockingTwin(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISREG(info.st_mode) || S_ISSOCK(info.st_mode)) {
        return fd;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_NONBLOCK) != 0) {
        return fd;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int twin = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    return twin >= 0 ? twin : fd;
}

class Stream {
  public:
    explicit Stream(int fd) : m_fd(fd) {}

    void Write(std::string_view text) {
        if (m_queue == nullptr) {
            m_twin = NonBlockingTwin(m_fd);
            m_queue = std::make_unique<CWriteQueue>(MaxWaiting);
            // A closed pipe or a full disk loses the text, nothing else.
            m_queue->Start(m_twin, [](int) {});
        }
        m_queue->Write(text.data(), text.size());
        if (!s_inLoop) {
            Finish(OutsideLoopWaitMs);
        }
    }

    void Finish(int waitMs) {
        if (m_queue != nullptr) {
            m_queue->Drain(waitMs);
            m_queue.reset();
        }
        if (m_twin >= 0 && m_twin != m_fd) {
            ::close(m_twin);
        }
        m_twin = -1;
    }

    static bool s_inLoop;

  private:
    int m_fd;
    int m_twin = -1;
    std::unique_ptr<CWriteQueue> m_queue;
};

bool Stream::s_inLoop = false;

Stream& OutputStream() {
    static Stream stream(STDOUT_FILENO);
    return stream;
}

Stream& ErrorStream() {
    static Stream stream(STDERR_FILENO);
    return stream;
}

} // namespace

namespace StdStreams {

void Output(std::string_view text) {
    OutputStream().Write(text);
}

void Error(std::string_view text) {
    ErrorStream().Write(text);
}

LoopScope::LoopScope() {
    Stream::s_inLoop = true;
}

LoopScope::~LoopScope() {
    Stream::s_inLoop = false;
    OutputStream().Finish(ExitWaitMs);
    ErrorStream().Finish(ExitWaitMs);
}

} // namespace StdStreams
