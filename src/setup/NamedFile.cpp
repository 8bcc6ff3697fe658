#include "setup/NamedFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace NamedFile {

namespace {

bool IsKind(const struct stat& info, Kind kind) {
    switch (kind) {
    case Kind::Regular:
        return S_ISREG(info.st_mode);
    case Kind::Stream:
        return S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode);
    case Kind::CharDevice:
        return S_ISCHR(info.st_mode);
    }
    return false;
}

std::string Expected(Kind kind) {
    switch (kind) {
    case Kind::Regular:
        break;
    case Kind::Stream:
        return "is not a file, pipe or character device";
    case Kind::CharDevice:
        return "is not a character device";
    }
    return "is not a regular file";
}

} // namespace

Opened Open(const std::string& path, int flags, Kind kind) {
    Opened opened;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        opened.error = errno;
        opened.wrongKind = errno == EISDIR;
        opened.why = opened.wrongKind ? "is a directory" : std::strerror(errno);
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        opened.error = errno;
        opened.why = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        opened.wrongKind = true;
        opened.why = "is a directory";
    } else if (!IsKind(info, kind)) {
        opened.wrongKind = true;
        opened.why = Expected(kind);
    } else {
        opened.fd = fd;
        return opened;
    }
    ::close(fd);
    return opened;
}

} // namespace NamedFile
