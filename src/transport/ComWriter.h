#pragma once

#include "platform/IEventLoop.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>

class QSocketNotifier;

// Sends a COM port's bytes to its device without ever blocking the event
// loop.
//
// What the device takes at once is gone; the rest waits here, in order, and
// goes out from a write notifier as the device takes more. Bytes of a Write
// still waiting 1000 ms after it are dropped and reported with errno
// ETIMEDOUT, as a blocking write with a 1000 ms time-out would have returned.
// A write error drops the bytes of that Write and reports errno.
//
// Collaborators: the port (owner, error report), the event loop (the
// time-out), Qt's notifier on the event-loop thread.
class CComWriter {
  public:
    static constexpr int TimeoutMs = 1000;

    CComWriter(IEventLoop& loop, std::function<void(int errorCode)> onError);
    ~CComWriter();
    CComWriter(const CComWriter&) = delete;
    CComWriter& operator=(const CComWriter&) = delete;

    // Starts writing to fd.
    void Start(int fd);
    // Stops, dropping whatever waits; before the device is closed.
    void Stop();

    void Write(const char* data, std::size_t len);
    // Bytes waiting for the device.
    std::size_t Pending() const;

  private:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        std::string bytes;
        std::size_t sent = 0;
        Clock::time_point deadline;
    };

    // Writes what waits until the device takes no more.
    void Flush();
    // Drops what has waited past its time, and times the next one.
    void DropExpired();
    void ArmTimer();
    void StopTimer();
    // One write() retried when interrupted; -1 with errno on failure.
    long WriteSome(const char* data, std::size_t len) const;

    IEventLoop& m_loop;
    std::function<void(int)> m_onError;
    QObject m_context;
    QSocketNotifier* m_notifier = nullptr;
    std::deque<Chunk> m_queue;
    int m_fd = -1;
    IEventLoop::TimerId m_timer = 0;
};
