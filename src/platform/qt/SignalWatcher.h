#pragma once

#include <csignal>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

// Turns SIGINT and SIGTERM (and SIGHUP, when asked to) into a call on the
// event loop: the signal handler
// only writes the signal number into a pipe, whose reading end the loop
// watches. While it exists, SIGPIPE is ignored, so a closed output pipe
// cannot kill the program; at its end the handlers it replaced are back.
// Without a pipe it installs nothing and keeps a line saying so, which the
// owner prints where its messages go.
class CSignalWatcher {
  public:
    // With onHangUp, SIGHUP calls it instead of ending the program.
    explicit CSignalWatcher(std::function<void(int)> onSignal, std::function<void()> onHangUp = {});
    ~CSignalWatcher();

    CSignalWatcher(const CSignalWatcher&) = delete;
    CSignalWatcher& operator=(const CSignalWatcher&) = delete;

    bool IsWatching() const { return m_notifier != nullptr; }
    // Empty while watching; otherwise the line that says why not.
    const std::string& Problem() const { return m_problem; }

  private:
    static void Handler(int signo);
    void OnReadable();

    std::function<void(int)> m_onSignal;
    std::function<void()> m_onHangUp;
    std::string m_problem;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt {};
    struct sigaction m_previousTerm {};
    struct sigaction m_previousHup {};
};
