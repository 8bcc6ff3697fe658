#pragma once

#include "transport/LineBacklog.h"
#include "transport/SocketPort.h"

#include <memory>
#include <vector>

class CCallerSession;
class CDescriptorShortage;
class QTcpServer;

// The telnet server port ("RXTEL"): listens on a TCP address (IPv4 or IPv6)
// and lets outside stations call in; their traffic flows as the client's
// does.
//
// Listening counts as connected ("Listening on 127.0.0.1:7300"); text sent
// while no one has called is dropped. The port takes up to MaxCallers
// callers at once, each a session of its own (own script run, keep-alive,
// output queue); every routed line goes to every caller that has logged in,
// and what any caller sends is routed as this port's input. With one caller
// allowed, a newer caller replaces the older, whose connection is closed;
// with more, a caller beyond the limit is told so and closed. A caller that
// leaves never takes the port down: it listens on until disconnected.
// With a Backlog, a caller that logs in first gets the last lines sent.
//
// Until a caller has finished the connect script (its login), what it sends
// is read by its script only and never routed, so that nobody who merely
// reaches the port can post to the routes; a caller that has not finished
// within LoginTimeout seconds is closed.
class CRxNetHandler : public CSocketPort {
  public:
    static constexpr int MaxMaxCallers = 64;
    static constexpr int DefaultLoginTimeout = 60;
    static constexpr int MaxLoginTimeout = 3600;
    // After a failed accept, callers wait this long in the listen queue.
    static constexpr int AcceptPauseMs = 1000;

    // A new port listens on the cluster convention's port: ports below 1024
    // (telnet's 23) need privileges, and loggers know 7300.
    static constexpr std::uint16_t NewPortNumber = 7300;

    CRxNetHandler(IPortHost& host, IPortView& view);
    // After "PortNumber": "MaxCallers", "Backlog" and "LoginTimeout" when
    // they are next.
    CRxNetHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CRxNetHandler() override;

    void Write(const char* data, int len) override;
    void SaveKindSettings(CSetupFile& setup) const override;
    void OnInputTaken() override;
    bool KeepAliveDue() override;

    bool HasCaller() const { return Callers() > 0; }
    int Callers() const override;
    std::size_t QueuedBytes() const override;
    std::size_t FullestOutputQueue() const override;

    // Clamped to 1..64, 0..1000 and 0..3600 (0: no limit), with a line in
    // the port window.
    void SetMaxCallers(int n);
    void SetBacklog(int lines);
    void SetLoginTimeout(int seconds);
    int MaxCallers() const { return m_maxCallers; }
    int Backlog() const { return m_backlog.Length(); }
    int LoginTimeout() const { return m_loginTimeout; }

    // For the sessions.
    void SendBacklog(const std::function<void(std::string_view)>& send) const {
        m_backlog.ForEach(send);
    }
    void SessionClosed();
    bool IsCalled() const override { return true; }
    bool LoginDone() const override;

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::RxTelnet); }
    void OpenTransport(const std::vector<QHostAddress>& addresses) override;
    void CloseTransport() override;
    QTcpSocket* Stream() const override { return nullptr; }
    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;
    std::string StatusDetail() const override;

  private:
    // The value of key as written; a value that is not a number gives
    // fallback, one out of low..high the nearest bound, each with a line.
    int ReadSetting(CSetupFile& setup, const char* key, int fallback, int low, int high);
    int Clamped(const std::string& key, const std::string& written, int value, int low, int high);
    void Accept();
    // Out of descriptors (or another accept failure): said once, waiting
    // callers refused, accepting paused for a moment.
    void AcceptFailed();
    void Refuse(QTcpSocket& socket);
    void Tick();
    void Sweep();

    QTcpServer* m_server = nullptr;
    std::vector<std::unique_ptr<CCallerSession>> m_sessions;
    int m_maxCallers = 1;
    int m_loginTimeout = DefaultLoginTimeout;
    CLineBacklog m_backlog;
    int m_tickTimer = 0;
    std::size_t m_readTurn = 0;
    bool m_sweepPosted = false;
    std::unique_ptr<CDescriptorShortage> m_shortage;
    bool m_acceptFailureSaid = false;
    int m_resumeTimer = 0;
};
