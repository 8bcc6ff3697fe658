#pragma once

#include "port/ConnectScript.h"
#include "port/KeepAliveTimer.h"
#include "port/OutputBatch.h"
#include "transport/ReadPump.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CRxNetHandler;
class QTcpSocket;

// One station that called a telnet server port.
//
// Responsibilities: the caller's socket and its address ("127.0.0.1:40112"),
// the telnet option refusal on what it sends, its own run of the port's
// connect script and the time limit on it, its keep-alive and silence
// timeout, and its output queue (the socket's, capped). Until the script is
// finished (the login) what the caller sends goes to the script only: it is
// shown and its lines counted, never routed. After it, what it sends goes to
// the port's ring buffer chunk by chunk while the port takes one caller;
// while it takes several, whole lines only, so that two callers' bytes never
// mix inside a line. A line longer than the ring is dropped, as the ring
// itself drops it.
//
// While the port base routes a batch, what is sent to the caller gathers
// and goes to the socket once, when the batch ends.
//
// Collaborators: the server port (ring buffer, view, router framing,
// backlog, the list of callers), Qt's socket on the one loop thread, the
// output batch.
class CCallerSession : private COutputBatch::IOutput {
  public:
    CCallerSession(CRxNetHandler& port, QTcpSocket& socket, bool wholeLines);
    ~CCallerSession();

    CCallerSession(const CCallerSession&) = delete;
    CCallerSession& operator=(const CCallerSession&) = delete;

    // The script from its first step, empty prompts answered, and the
    // backlog if there is no login to wait for.
    void Start();
    // Output to the caller (routed lines, typed lines).
    void Send(const char* data, int len) {
        Send(std::string_view(data, static_cast<std::size_t>(len)));
    }
    // Reads what the ring has room for.
    void Read() { m_pump.Run(); }
    // Once a second: login time limit, keep-alive, silence timeout, empty
    // script prompts.
    void Tick();
    // Closes the connection at once; a reason writes the "disconnected"
    // line with it, an empty one the plain line.
    void Close(std::string_view reason);
    // Closes without a word (the whole port goes down).
    void Drop();

    const std::string& Address() const { return m_address; }
    bool IsClosed() const { return m_socket == nullptr; }
    bool LoggedIn() const { return m_welcomed; }
    // The bytes sent to the caller that it has not taken yet.
    std::size_t Queued() const;

    void Send(std::string_view text);

  private:
    void FlushBatch() override;
    // Hands bytes to the socket: to the kernel now, or (now false) to Qt's
    // buffer, written on a later turn with whatever follows.
    void Write(std::string_view text, bool now = true);
    void ReadStep();
    // Filters, answers and hands on n received bytes.
    void Deliver(char* data, int n);
    // Puts the whole lines held into the ring; false while they wait for room.
    bool PutWholeLines();
    void Append(const char* data, int n);
    void RunScript(std::string_view text);
    void CheckLogin();
    // Counts the lines of text received before the login.
    void CountRefused(std::string_view text);
    // "; 2 lines sent before login not routed", or nothing.
    std::string RefusedNote() const;
    int Capacity() const;

    CRxNetHandler& m_port;
    QTcpSocket* m_socket;
    QObject m_context;
    std::string m_address;
    bool m_wholeLines;
    CConnectScript m_script;
    CKeepAliveTimer m_keepAlive;
    bool m_welcomed = false;
    std::int64_t m_startedAt = 0;
    int m_refusedLines = 0;
    bool m_inRefusedLine = false;
    CReadPump m_pump;
    std::vector<char> m_receive;
    // Whole-line mode: bytes read and not yet put into the ring, from
    // m_head on; m_skipping drops the rest of an over-long line.
    std::string m_pending;
    std::size_t m_head = 0;
    bool m_skipping = false;
    // What this batch sent, not yet handed to the socket.
    std::string m_batch;
};
