#include "setup/AtomicFile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
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

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// "setup.ini.A1b2C3" for "setup.ini": the six characters a temporary name
// gets.
bool IsTemporaryOf(const std::string& name, const std::string& base) {
    constexpr std::size_t Suffix = 6;
    if (name.size() != base.size() + 1 + Suffix || name.compare(0, base.size(), base) != 0 ||
        name[base.size()] != '.') {
        return false;
    }
    for (std::size_t i = base.size() + 1; i < name.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    return true;
}

constexpr std::time_t StaleSeconds = 60;

} // namespace

namespace AtomicFile {

std::vector<std::string> RemoveStale(const std::string& path) {
    const std::string target = Resolved(path);
    const std::string folder = FolderOf(target);
    const std::string base = target.substr(target.rfind('/') + 1);
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return removed;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string full = folder == "/" ? "/" + name : folder + "/" + name;
        struct stat st {};
        if (IsTemporaryOf(name, base) && ::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > StaleSeconds && ::unlink(full.c_str()) == 0) {
            removed.push_back(full);
        }
    }
    ::closedir(dir);
    return removed;
}

bool Replace(const std::string& path, std::string_view bytes, std::string& error) {
    const std::string target = Resolved(path);
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
