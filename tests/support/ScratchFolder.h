#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the test's temporary directory, removed with
// everything in it when this object goes away.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// The whole contents of a file; empty when it cannot be read.
std::string FileBytes(const std::filesystem::path& path);
// Replaces a file's contents with bytes.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
