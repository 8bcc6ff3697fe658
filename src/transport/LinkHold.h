#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

// The traffic lines of a telnet client link that its partner may not have:
// those written to the socket that the partner's TCP has not acknowledged
// yet, and those that wait for the link (down, reconnecting, logging in).
//
// Lines are kept whole and in the order they were routed. The front ones
// have been sent on the current connection; the rest wait. When the link
// is lost every kept line waits again, so that the next connection writes
// it, once the login is over, before any newer line.
//
// At most a limit of bytes is kept (the write queue's cap). Past it the
// oldest lines go first: on a live link the newest spots matter most, and
// an old line that was sent is far more likely to have arrived than a new
// one. Waiting lines dropped so are counted, so that the port can say so.
class CLinkHold {
  public:
    explicit CLinkHold(std::size_t limit);

    // A routed line; it waits behind every line that waits already.
    void Hold(std::string_view line);
    // True when Hold would pass the limit with this many more bytes.
    bool WouldPass(std::size_t len) const { return m_bytes + len > m_limit; }
    bool HasWaiting() const { return m_sent < m_lines.size(); }
    std::size_t Waiting() const { return m_lines.size() - m_sent; }
    // The oldest waiting line; MarkSent once the socket took it.
    const std::string& NextWaiting() const { return m_lines[m_sent]; }
    void MarkSent() { ++m_sent; }
    // Of the bytes written on this connection, all but the last `unacked`
    // have reached the partner: the sent lines wholly before those are
    // forgotten. The count covers the whole stream (logins and keep-alives
    // too), so it can only keep more lines than needed, never fewer.
    void Acknowledged(std::size_t unacked);
    // The connection is gone: every kept line waits for the next one.
    void LinkLost() { m_sent = 0; }
    void Clear();
    // Waiting lines dropped since the last call.
    std::size_t TakeDropped();

  private:
    void DropOldest();

    std::size_t m_limit;
    std::deque<std::string> m_lines;
    std::size_t m_sent = 0;
    std::size_t m_bytes = 0;
    std::size_t m_dropped = 0;
};
