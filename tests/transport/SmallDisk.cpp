#include "SmallDisk.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(const std::filesystem::path& at, std::size_t bytes) : m_at(at) {
    std::filesystem::create_directories(at);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        m_error = std::string("cannot mount a small tmpfs: ") + std::strerror(errno);
    }
}

SmallDisk::~SmallDisk() {
    if (Ok()) {
        ::umount2(m_at.c_str(), MNT_DETACH);
    }
}

void SmallDisk::Fill() {
    const std::string filler = (m_at / "filler").string();
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const std::string block(4096, 'x');
    // Whole pages first, then single bytes into what is left of the last.
    for (std::size_t step : {block.size(), std::size_t{1}}) {
        while (::write(fd, block.data(), step) == static_cast<ssize_t>(step)) {
        }
    }
    ::close(fd);
}

void SmallDisk::Free() {
    std::filesystem::remove(m_at / "filler");
}
