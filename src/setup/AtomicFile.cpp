#include "setup/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

mode_t ModeFor(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    // A new file gets what the creating call would have given it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace AtomicFile {

bool Replace(const std::string& path, std::string_view bytes, std::string& error) {
    std::string target = path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        target = resolved;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    const char* step = "can't create a temporary file beside it";
    bool ok = fd >= 0;
    if (ok) {
        step = "can't write it";
        ok = ::fchmod(fd, ModeFor(target)) == 0 && WriteAll(fd, bytes);
        if (ok) {
            step = "can't flush it to the disk";
            ok = ::fsync(fd) == 0;
        }
        const int saved = errno;
        if (::close(fd) != 0 && ok) {
            ok = false;
        } else {
            errno = saved;
        }
        if (ok) {
            step = "can't rename the temporary file over it";
            ok = ::rename(temp.c_str(), target.c_str()) == 0;
        }
        if (!ok) {
            const int why = errno;
            ::unlink(temp.c_str());
            errno = why;
        }
    }
    if (!ok) {
        error = "Can't save \"" + path + "\": " + step + " (" + std::strerror(errno) +
                "); the old file is unchanged";
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

} // namespace AtomicFile
