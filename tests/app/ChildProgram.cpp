#include "ChildProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Everything the child needs is prepared before the fork: between fork and
// exec a child of a threaded test may only make system calls.
struct ExecPlan {
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::vector<char*> argv;
    std::vector<char*> envp;
    std::string outPath;
    std::string errPath;
    std::string dir;

    void Seal() {
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
    }
};

bool Overridden(const std::string& entry, const ChildProgram::Environment& extra) {
    for (const auto& [name, value] : extra) {
        if (entry.compare(0, name.size() + 1, name + "=") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

ChildProgram::ChildProgram(const fs::path& dir, const std::vector<std::string>& args,
                           const Environment& env)
    : m_dir(dir) {
    ExecPlan plan;
    plan.args.push_back(SPOTWEAVER_BINARY);
    plan.args.insert(plan.args.end(), args.begin(), args.end());
    for (char** e = environ; *e != nullptr; ++e) {
        if (!Overridden(*e, env)) {
            plan.env.emplace_back(*e);
        }
    }
    for (const auto& [name, value] : env) {
        plan.env.push_back(name + "=" + value);
    }
    plan.outPath = (dir / "stdout").string();
    plan.errPath = (dir / "stderr").string();
    plan.dir = dir.string();
    plan.Seal();

    int in[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return;
    }
    // The output files are emptied before the fork: a test that reads them
    // right away must never see what an earlier child wrote there.
    const int out = ::open(plan.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(plan.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (::chdir(plan.dir.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(plan.argv[0], plan.argv.data(), plan.envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out);
    ::close(err);
    m_stdin = in[1];
    if (m_pid < 0) {
        ADD_FAILURE() << "fork failed";
    }
}

ChildProgram::~ChildProgram() {
    CloseInput();
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void ChildProgram::Signal(int signo) const {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, signo);
    }
}

bool ChildProgram::Type(const std::string& text) {
    return m_stdin >= 0 &&
           ::write(m_stdin, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void ChildProgram::CloseInput() {
    if (m_stdin >= 0) {
        ::close(m_stdin);
        m_stdin = -1;
    }
}

bool ChildProgram::Running() {
    if (m_pid <= 0 || m_reaped) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_reaped = true;
        m_status = status;
        return false;
    }
    return true;
}

bool ChildProgram::WaitForEnd(std::chrono::milliseconds timeout) {
    return WaitUntil([this] { return !Running(); }, timeout);
}

std::string ChildProgram::How() {
    if (Running()) {
        return "still running";
    }
    if (WIFSIGNALED(m_status)) {
        return "signal " + std::to_string(WTERMSIG(m_status));
    }
    return "exit " + std::to_string(WEXITSTATUS(m_status));
}

int ChildProgram::ExitCode() {
    if (Running() || !WIFEXITED(m_status)) {
        return -1;
    }
    return WEXITSTATUS(m_status);
}

std::string ChildProgram::Output() const {
    return FileBytes(m_dir / "stdout");
}

std::string ChildProgram::Errors() const {
    return FileBytes(m_dir / "stderr");
}

ChildProgram::Memory ChildProgram::MemoryUse() const {
    Memory memory;
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        long kib = 0;
        fields >> key >> kib;
        if (key == "VmRSS:") {
            memory.residentKiB = kib;
        } else if (key == "VmHWM:") {
            memory.peakKiB = kib;
        }
    }
    return memory;
}
