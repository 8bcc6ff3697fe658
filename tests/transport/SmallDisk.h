#pragma once

#include <filesystem>
#include <string>

// A tiny file system of its own (tmpfs) mounted on a folder, so that a test
// can fill a disk for real and free it again. Mounting needs root; Ok()
// tells, Error() says why not. Unmounted on destruction.
class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path& at, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    // Writes a filler file until the disk takes no more byte.
    void Fill();
    // Removes the filler: the disk has room again.
    void Free();

  private:
    std::filesystem::path m_at;
    std::string m_error;
};
