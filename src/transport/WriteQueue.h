#pragma once

#include "port/OutputBatch.h"

#include <QObject>

#include <cstddef>
#include <functional>
#include <string>

class QSocketNotifier;

// Bytes for a descriptor whose reader may be slow (a pipe, a terminal, a
// socket), sent without ever blocking the event loop.
//
// What the descriptor takes at once is gone; the rest waits here, in order,
// and goes out from a write notifier as the reader takes more. At most a
// limit of bytes wait (MaxPending by default, the cap the socket ports put on
// what their peer has not taken yet); a write that would pass it is refused
// whole. A socket is sent to with MSG_DONTWAIT and any other descriptor that
// is not non-blocking gets no more than the pipe's atomic size when it is
// writable, so the caller need not change flags shared with other programs.
// A write error drops what waits and is reported with errno. A queue told to
// HoldWhenFull treats a full disk (ENOSPC, EDQUOT, EFBIG) differently: the
// bytes not written stay, in order, and wait for Retry, since a file gives no
// signal when space comes back.
//
// While the port base routes a batch, writes gather here and go out in one
// write when the batch ends.
//
// Collaborators: the owner (descriptor, error report), Qt's notifier on the
// event-loop thread once a QCoreApplication exists; without one, Drain; the
// output batch.
class CWriteQueue : private COutputBatch::IOutput {
  public:
    static constexpr std::size_t MaxPending = 1024 * 1024;

    explicit CWriteQueue(std::size_t limit = MaxPending);
    ~CWriteQueue();
    CWriteQueue(const CWriteQueue&) = delete;
    CWriteQueue& operator=(const CWriteQueue&) = delete;

    // Starts writing to fd (not owned).
    void Start(int fd, std::function<void(int errorCode)> onError);
    void HoldWhenFull(bool hold) { m_holdWhenFull = hold; }
    // True from a full disk until a Retry writes everything held.
    bool IsHolding() const { return m_holding; }
    // Writes what is held, as far as the disk takes it.
    void Retry();
    // The line feeds among the bytes waiting.
    std::size_t PendingLines() const;
    static bool IsNoRoom(int error);
    // Goes on writing to fd (not owned) instead, keeping what waits: a log
    // file opened again after it was moved away.
    void SwitchTo(int fd);
    // Stops, dropping whatever waits; before the descriptor is closed.
    void Stop();
    // False, taking nothing, when the bytes would pass the limit.
    bool Write(const char* data, std::size_t len);
    std::size_t Pending() const { return m_bytes.size() - m_sent; }
    // Waits at most timeoutMs for what waits to go out; for the end of the
    // program only. True when nothing waits.
    bool Drain(int timeoutMs);

  private:
    void FlushBatch() override;
    // Writes what waits until the descriptor takes no more.
    void Flush();
    // A write failed with error; false when the queue holds on.
    bool Holds(int error);
    // One write that never blocks; -1 with errno (EAGAIN when full).
    long WriteSome(const char* data, std::size_t len) const;
    void Watch(bool on);
    // Takes fd and learns what kind of file it is.
    void Attach(int fd);

    std::size_t m_limit;
    std::function<void(int)> m_onError;
    QObject m_context;
    QSocketNotifier* m_notifier = nullptr;
    std::string m_bytes;
    std::size_t m_sent = 0;
    int m_fd = -1;
    bool m_socket = false;
    bool m_guarded = false;
    bool m_holdWhenFull = false;
    bool m_holding = false;
    bool m_enlisted = false;
};
