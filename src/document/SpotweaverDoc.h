#pragma once

#include "document/PortEntry.h"
#include "port/IPortHost.h"
#include "port/OutputPressure.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CPortHandler;
class IClock;
class IEventLoop;
class IPortFactory;
class IPortView;
class IUiServices;

// The running setup: the ports in list order with their windows, the font,
// and the heartbeat that drives the ports.
//
// Responsibilities: the ports of the setup, each with its window, read,
// loaded and saved through SetupReader, CSetupLoader and SetupWriter
// (LoadPorts never connects a port); the one-second tick (every port's
// OnTimer, a processing request for every port with pending lines, the
// status bar every fifth tick); the processing requests themselves, one
// received line per request, served round-robin in time slices from an
// in-process queue so that a busy port starves neither the other ports nor
// the window; and the commands of the Setup menu and of the port windows.
//
// Collaborators: the event loop and clock; the UI services (main window,
// port windows, port selector, status bar, dialogs, message boxes); the port
// factory of the transports; the ports, which reach back through IPortHost.
class CSpotweaverDoc : public IPortHost {
  public:
    static constexpr int MaxPorts = 32;
    // Lines routed in one slice of the processing queue before the event loop
    // gets a turn. Flat out, a slice empties more than a whole ring of 32,000
    // bytes, so the transports read a ring's worth at a time and each output
    // sends a slice in one write: a quarter of the reads, writes, wake-ups
    // and loop turns of a slice of 256, and about a fifth less CPU a line.
    static constexpr int LinesPerSlice = 1024;
    // Lines one port routes as one batch, in its turn of the queue: the
    // outputs write once per batch, and the ports still take turns. Taking
    // this many makes a 32,000-byte ring at least half free, so its transport
    // reads on at once.
    static constexpr int LinesPerTurn = 256;
    // While an output holds input back, the queue is looked at again this
    // often.
    static constexpr int HeldPollMs = 1;

    CSpotweaverDoc(IEventLoop& loop, const IClock& clock, IUiServices& ui, IPortFactory& factory);
    ~CSpotweaverDoc() override;

    CSpotweaverDoc(const CSpotweaverDoc&) = delete;
    CSpotweaverDoc& operator=(const CSpotweaverDoc&) = delete;

    // IPortHost
    IEventLoop& Loop() override { return m_loop; }
    const IClock& Clock() const override { return m_clock; }
    IUiServices& Ui() override { return m_ui; }
    std::vector<CPortHandler*> PortList() const override;
    bool IsPortNameUsed(const std::string& name) const override;
    void PostPortData(CPortHandler& port) override;
    void PostPortCommand(CPortHandler& port, int commandId) override;

    // Serialization. Read keeps every line (LF, CR or CR LF ends a line);
    // nothing else happens until LoadPorts.
    void Read(std::string_view fileBytes);
    bool ReadFile(const std::string& path, std::string& error);
    // The whole setup as the file holds it.
    std::string SaveToString() const;
    // Writes a temporary file beside path and renames it over path, so a
    // failure or a crash leaves the old file whole.
    bool SaveFile(const std::string& path, std::string& error);

    void LoadPorts();
    void StartPorts();
    void DeleteAllPorts();
    void OnTick();
    // Every port's state into its window title and the status bar, as the
    // tick does every five seconds; a window calls it when a port's state
    // may have changed.
    void RefreshStatus();
    // Once a minute, each port whose spot counts changed shows them in its
    // window (headless, followed: on standard error).
    void SetCountReports(bool on) { m_countReports = on; }
    void OnPortData(CPortHandler& port);

    // Setup > Add New by kind (its "PortType" text).
    bool AddPort(const std::string& kind);
    bool RemovePort(const std::string& name);
    // A CommandId of the Setup menu: the add, connect, disconnect, remove and
    // script commands act on the ports the selector names; Routes and Font
    // open their dialogs. Unknown ids are ignored.
    void OnCommand(int id);
    // A PortCommand that a port window sends for its own port.
    void OnPortCommand(const std::string& portName, int id);

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    bool IsRunning() const { return m_running; }
    int PortCount() const { return static_cast<int>(m_ports.size()); }
    CPortHandler* Port(int i) const;
    IPortView* PortWindow(int i) const;
    CPortHandler* FindPort(const std::string& name) const;

    // A new setup's font: 12 px shows a whole 80-column spot line in a new
    // port window of the default main window. A stored setup keeps its own.
    static constexpr int NewFontSize = 12;
    // What a setup without font lines has always been shown and saved with.
    static constexpr int StoredFontSize = 20;
    int FontSize = NewFontSize;
    int FontWeight = 400;
    std::string FontFace = "Courier New";

  private:
    // Temporary files of saves cut short, each removal said in the main
    // window.
    void RemoveStaleTemporaries(const std::string& path);
    void Print(const std::string& text);
    void ReportCounts();
    bool IsSelected(const CPortHandler& port) const;
    int IndexOf(const CPortHandler* port) const;
    void ScheduleDrain();
    void Drain();
    // Looks again, after a while, at outputs that hold input back.
    void WaitForOutputs();
    // One processing request: the port's router routes up to maxLines lines
    // as one batch. True when more lines are waiting.
    bool RouteLines(CPortHandler& port, int maxLines, int& taken);
    void ForgetQueued(CPortHandler* port);
    void RefillSelector();
    // Takes a removed port out of every route and trace.
    void Unroute(CPortHandler& port);
    void DestroyPort(PortEntry entry);
    void ReapDetached();
    void RunPortCommand(CPortHandler& port, int id);

    void ConnectSelected();
    void DisconnectSelected();
    void RemoveSelected();
    void EditScriptSelected();
    void EditPortSelected();
    void StopScriptSelected();
    std::vector<CPortHandler*> SelectedPorts() const;
    void EditPort(CPortHandler& port);
    void EditScript(CPortHandler& port);
    void StopScript(CPortHandler& port);
    void RunRoutes();
    void ChooseFont();

    IEventLoop& m_loop;
    const IClock& m_clock;
    IUiServices& m_ui;
    IPortFactory& m_factory;
    COutputPressure m_pressure;
    bool m_heldPollSet = false;

    std::vector<PortEntry> m_ports;
    // A port being added stands here until its setup is confirmed.
    CPortHandler* m_adding = nullptr;
    // Ports that could not be stopped for removal: out of the setup, not destroyed.
    std::vector<PortEntry> m_detached;

    bool m_running = false;
    int m_tickCounter = 0;
    bool m_countReports = false;
    int m_countSeconds = 0;
    int m_timerId = 0;
    bool m_modified = false;
    std::vector<std::string> m_linesRead;

    std::deque<CPortHandler*> m_queue;
    bool m_drainPosted = false;
    // Posted calls and timers hold a weak copy: once the document is gone
    // they do nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
