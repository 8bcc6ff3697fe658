#pragma once

#include "support/ScratchFolder.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The built program run as a child process in a folder: its standard input
// a pipe the test holds, its two outputs files in that folder
// ("stdout", "stderr"), extra environment variables on top of the test's
// own. Waits are bounded; a child still running when this object goes away
// is killed.
class ChildProgram {
  public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    ChildProgram(const std::filesystem::path& dir, const std::vector<std::string>& args,
                 const Environment& env = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    pid_t Pid() const { return m_pid; }
    void Signal(int signo) const;
    // Writes text to the child's standard input.
    bool Type(const std::string& text);
    void CloseInput();
    bool Running();
    // True once the child ended within the timeout.
    bool WaitForEnd(std::chrono::milliseconds timeout);
    // "exit 0", "signal 11", "still running".
    std::string How();
    // 0..255 after a normal exit; -1 while running or after a signal.
    int ExitCode();

    std::string Output() const;
    std::string Errors() const;

    // Resident memory in KiB from /proc: now and the peak so far; 0 when
    // the child is gone.
    struct Memory {
        long residentKiB = 0;
        long peakKiB = 0;
    };
    Memory MemoryUse() const;

  private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    int m_stdin = -1;
    bool m_reaped = false;
    int m_status = 0;
};

// Polls done() every few milliseconds until it holds or the timeout passes.
template <typename Done> bool WaitUntil(Done done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
