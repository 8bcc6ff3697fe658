#include "app/StdStreams.h"

#include <cerrno>

#include <unistd.h>

namespace {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

namespace StdStreams {

void Output(std::string_view text) {
    WriteAll(STDOUT_FILENO, text);
}

void Error(std::string_view text) {
    WriteAll(STDERR_FILENO, text);
}

} // namespace StdStreams
