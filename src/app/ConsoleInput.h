#pragma once

#include "platform/IEventLoop.h"

#include <functional>
#include <memory>
#include <string>

class CPortHandler;
class QSocketNotifier;

// Lines typed on a file descriptor (standard input) for the console port.
//
// The descriptor is read whenever it is readable, never waiting and never
// changing its flags; each complete line (LF or CR LF) is handed to the
// target port's SendLine while that port is connected, and dropped
// otherwise, as typing into a window whose port is not connected does
// nothing. When the port's buffer has no
// room for the next line, reading pauses and is tried again shortly, after
// the router has taken lines out; nothing is lost. The end of input ends
// reading only.
class CConsoleInput {
  public:
    CConsoleInput(int fd, IEventLoop& loop, std::function<CPortHandler*()> target);
    ~CConsoleInput();

    CConsoleInput(const CConsoleInput&) = delete;
    CConsoleInput& operator=(const CConsoleInput&) = delete;

    bool AtEnd() const { return m_atEnd; }

  private:
    void OnReadable();
    // Hands over the complete lines read so far; stops early when the port
    // has no room and arranges to be called again.
    void HandOver();
    void SetReading(bool on);

    int m_fd;
    IEventLoop& m_loop;
    std::function<CPortHandler*()> m_target;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::string m_pending;
    bool m_atEnd = false;
    IEventLoop::TimerId m_retry = 0;
};
