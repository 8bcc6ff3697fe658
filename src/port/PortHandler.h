#pragma once

#include "port/ConnectScript.h"
#include "port/KeepAliveTimer.h"
#include "port/RingBuffer.h"
#include "port/TextTail.h"
#include "routing/RouterPort.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CRouter;
class CSetupFile;
class IPortHost;
class IPortView;
struct PortSetupValues;
struct RouterSetup;

// The abstract port: what the console, COM, telnet client, telnet server, UDP
// broadcast and log-file ports share.
//
// Responsibilities: the name and TNC stream identity, the ring buffer of
// received bytes, the keep-alive and "Port Timeout", the connect script, and
// the router (owned), which sees the port only as a CRouterPort. It reads
// and writes the common block of a port section, turns received bytes into
// a processing request for the document, hands each whole line of the ring
// to the router, sends lines through the router's framing, reports its
// status, ends links (the TNC "disc" command to the master, or the wait
// before reconnecting) and builds its router from a data type name.
//
// Collaborators: the document through IPortHost (event loop, clock, UI, port
// list, requests), the port's window through IPortView, the router. The
// concrete kinds supply connecting, disconnecting, writing and their settings.
class CPortHandler : public CRouterPort {
  public:
    // Default construction, for a port being added.
    CPortHandler(IPortHost& host, IPortView& view);
    // Reads the common block (BufferSize, KeepAlive, script, name, TNC
    // identity, placement) in order and titles the window.
    CPortHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CPortHandler() override;

    CPortHandler(const CPortHandler&) = delete;
    CPortHandler& operator=(const CPortHandler&) = delete;

    // Runs the kind's setup dialog for a new port; on OK applies it and
    // creates the router. True when confirmed.
    virtual bool SetupNewPort() = 0;
    // Nothing while connected or connecting; otherwise rearms the keep-alive,
    // attaches the input bar, keeps automatic reconnection off until the link
    // starts, and lets the kind open its transport (DoConnect).
    void Connect();
    // Nothing unless connected; otherwise clears connected, lets the kind
    // close its transport (DoDisconnect), says so, detaches the input bar and
    // ends the link unless the kind ends it later.
    void Disconnect();
    void DisconnectManual();
    // Writes text to the transport as it stands.
    void SendText(std::string_view text) override;
    virtual void Write(const char* data, int len) = 0;
    virtual void SavePortType(CSetupFile& setup) const = 0;
    virtual void SaveKindSettings(CSetupFile& setup) const = 0;
    // The kind's setup dialog for an existing port; true when confirmed.
    virtual bool EditSetup() = 0;
    // A port that talks to a peer has a connect script to edit: prompts to
    // answer and automatic reconnection. The console and a log file do not.
    virtual bool TalksToPeer() const { return true; }
    // Frames text through the router (TNC prefix, terminator) and sends it.
    virtual void SendLine(std::string_view text);
    // Called after the router took input, so a transport that stopped
    // reading for want of room can read on.
    virtual void OnInputTaken() {}
    // Once a second while connected: true when the port's keep-alive is due
    // (and rearmed). A port that keeps each of its callers alive on its own
    // answers false.
    virtual bool KeepAliveDue();
    // Once a second: the keep-alive, the "Port Timeout" of a port whose
    // automatic reconnection is armed, and the script steps with an empty
    // prompt.
    void OnTimer();
    // Hands up to maxLines lines of the ring (or, to a router that reads
    // bytes, all it holds) to the router, as one batch: what they make the
    // outputs write goes out once, when the batch ends. True when more are
    // waiting; taken, when given, counts the lines handed over.
    bool ProcessInput(int maxLines = 1, int* taken = nullptr);

    void Save(CSetupFile& setup) const;

    bool IsConnected() const { return m_connected; }
    int PendingLines() const;
    bool IsStopped() const { return !m_linkRunning; }
    bool IsReconnectWaiting() const { return m_reconnectWaiting; }
    // True while the port sends its own talk on its link: a connect-script
    // response, a keep-alive, a line typed in its window, or its router's
    // answer to its own input. Anything else it is sent is traffic routed
    // from other ports.
    bool SendsOwnTalk() const { return m_ownTalk > 0; }

    // The road of received bytes: ring buffer, connect script, one
    // processing request.
    void OnReceive(const char* data, int len);
    // The same road without the port's own connect script.
    void TakeInput(const char* data, int len);
    bool RunScript(std::string_view text);
    // Lets a script answer text; its response, framed, goes to send. True
    // when something was sent.
    bool RunScript(CConnectScript& script, std::string_view text,
                   const std::function<void(std::string_view)>& send);
    // Text framed by the router for this port (TNC prefix, terminator);
    // valid until the router frames again.
    const std::string& FrameLine(std::string_view text);
    void OnLinkStart();
    void OnLinkEnd();
    // The connect script runs from its first step for a new link or caller;
    // the router hears of it.
    void StartScript();
    // Tells the router that a new link or caller begins.
    void NotifyLinkStart();
    // A server port asks its callers.
    bool LoginDone() const override { return m_script.Finished(); }
    bool IsCalled() const override { return false; }
    const IClock& Clock() const override;
    void ReconnectAs(std::string_view call) override;
    void RequestDisconnect() override;

    std::string GetStatusText();
    // "NAME: msg\n" into the port view.
    void PrintMessage(std::string_view msg) override;
    // Raw text into the port view.
    void PrintText(std::string_view text);

    void ApplySetup(const std::string& name, int isTnc, const std::string& streamSw,
                    const std::string& streamId, int bufferSize, int keepAliveMinutes);
    void ApplyLiveSetup(int isTnc, const std::string& streamSw, const std::string& streamId,
                        int keepAliveMinutes);
    // Every option of the existing router takes the dialog's value.
    void ApplyRouterSetup(const RouterSetup& values);
    // The router factory: the new router takes the values of its type's
    // keys. An unknown data type name leaves the router as it was.
    void CreateRouter(const std::string& dataType, const RouterSetup& values,
                      bool addConsoleRoutes);

    // Shared steps of SetupNewPort and EditSetup around the kind's dialog:
    // fill the general values from this port (edit) or only the mode and the
    // names in use (new port; the kind sets its defaults), and apply them
    // after OK.
    void FillSetupValues(PortSetupValues& values) const;
    void FillNewPortValues(PortSetupValues& values) const;
    // New port: ApplySetup + CreateRouter. Existing port: data type change,
    // live or full setup, router options. Kinds apply their own fields.
    void ApplyNewPortValues(const PortSetupValues& values);
    void ApplyEditValues(const PortSetupValues& values);

    CRouter* Router() const { return m_router.get(); }
    void SetRouter(std::unique_ptr<CRouter> router);
    std::unique_ptr<CRouter> TakeRouter();

    CRingBuffer& RingBuffer() { return m_ringBuffer; }
    CConnectScript& Script() { return m_script; }
    const CConnectScript& Script() const { return m_script; }
    CKeepAliveTimer& KeepAlive() { return m_keepAlive; }
    IPortHost& Host() const { return m_host; }
    IPortView& View() const { return m_view; }
    int BufferSize() const { return m_ringBuffer.Size(); }

    // What a status page shows of the port: the lines handed to its router
    // and the texts sent out, its callers (a server's), the bytes its peers
    // have not taken yet, and the newest lines of its window.
    std::uint64_t LinesIn() const { return m_linesIn; }
    std::uint64_t LinesOut() const { return m_linesOut; }
    virtual int Callers() const { return 0; }
    virtual std::size_t QueuedBytes() const { return 0; }
    // The bytes waiting for the slowest of the port's peers: what decides
    // whether the port's output holds input back.
    virtual std::size_t FullestOutputQueue() const { return QueuedBytes(); }
    std::vector<std::string> WindowTail() const { return m_windowTail.Newest(); }

  protected:
    // Opens the kind's transport. On success the kind sets connected and
    // starts the link (at once or later, from the loop); a failure is a line
    // in the port window.
    virtual void DoConnect() = 0;
    // When the link ends after the transport is closed.
    enum class LinkEnd { Now, Later };
    // Closes the kind's transport without a word; connected is already clear.
    // Later: the link runs on until the kind calls OnLinkEnd, for a transport
    // that has something to finish first.
    virtual LinkEnd DoDisconnect() = 0;
    // True while an attempt to connect is under way (a Connect then does
    // nothing).
    virtual bool IsConnecting() const { return false; }

    void SetConnected(bool connected) { m_connected = connected; }
    void SetLinkRunning(bool running) { m_linkRunning = running; }
    // Shown in the status after "C" or "D" (a server's callers, "/3").
    virtual std::string StatusDetail() const { return {}; }
    void UpdateTitle(const std::string& status);
    // Once a second while connected, after the keep-alive and the script.
    virtual void OnSecond() {}

  private:
    // Runs send with SendsOwnTalk true.
    template <class Send> void AsOwnTalk(Send send) {
        ++m_ownTalk;
        send();
        --m_ownTalk;
    }
    // True when router (the port's, or none) has input waiting.
    bool HasInputFor(const CRouter* router) const;
    // Clamps a stored or typed size to what can be held, saying so.
    void SetBufferSize(int size);
    void SendStreamDisconnect();
    void StartReconnectWait();
    void ReconnectWaitStep();
    void StopReconnectWait();

    CRingBuffer m_ringBuffer;
    CKeepAliveTimer m_keepAlive;
    CConnectScript m_script;
    std::unique_ptr<CRouter> m_router;
    CTextTail m_windowTail;
    std::uint64_t m_linesIn = 0;
    std::uint64_t m_linesOut = 0;
    // FrameLine's text for a port without a router.
    std::string m_framed;
    bool m_connected = false;
    bool m_linkRunning = false;
    bool m_reconnectWaiting = false;
    int m_reconnectSecondsLeft = 0;
    int m_reconnectTimer = 0;
    int m_ownTalk = 0;
    IPortHost& m_host;
    IPortView& m_view;
};
