#include "setup/SetupReader.h"

#include "setup/NamedFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A setup file is a few kilobytes; anything far larger is not one.
constexpr long MaxSetupFileBytes = 16L * 1024 * 1024;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

namespace SetupReader {

std::vector<std::string> Lines(std::string_view fileBytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < fileBytes.size()) {
        const char c = fileBytes[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        lines.emplace_back(fileBytes.substr(start, i - start));
        ++i;
        // CR LF is one line end; a CR alone ends the line by itself.
        if (c == '\r' && i < fileBytes.size() && fileBytes[i] == '\n') {
            ++i;
        }
        start = i;
    }
    if (start < fileBytes.size()) {
        lines.emplace_back(fileBytes.substr(start));
    }
    return lines;
}

bool ReadFile(const std::string& path, std::string& bytes, std::string& error) {
    const NamedFile::Opened opened = NamedFile::Open(path, O_RDONLY, NamedFile::Kind::Regular);
    if (opened.fd < 0) {
        error = opened.wrongKind ? "Setup file " + Quoted(path) + " " + opened.why
                                 : "Can't open setup file " + Quoted(path) + ": " + opened.why;
        return false;
    }
    const int fd = opened.fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = "Can't read setup file " + Quoted(path) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (st.st_size > MaxSetupFileBytes) {
        ::close(fd);
        error = "Setup file " + Quoted(path) + " is larger than 16 MiB; not a setup file";
        return false;
    }
    bytes.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = "Can't read setup file " + Quoted(path) + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0 || static_cast<long>(bytes.size()) > MaxSetupFileBytes) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

} // namespace SetupReader
