#include "document/SpotweaverDoc.h"

#include "document/RouteSetupModel.h"
#include "document/SetupLoader.h"
#include "document/SetupWriter.h"
#include "platform/CommandIds.h"
#include "platform/IEventLoop.h"
#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/IPortFactory.h"
#include "port/OutputBatch.h"
#include "port/PortHandler.h"
#include "port/PortKind.h"
#include "routing/Router.h"
#include "setup/AtomicFile.h"
#include "setup/SetupReader.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* All = "ALL";
constexpr const char* SelectPortFirst = "You must select a specific port first.";

} // namespace

CSpotweaverDoc::CSpotweaverDoc(IEventLoop& loop, const IClock& clock, IUiServices& ui,
                               IPortFactory& factory)
    : m_loop(loop), m_clock(clock), m_ui(ui), m_factory(factory), m_pressure(clock) {}

CSpotweaverDoc::~CSpotweaverDoc() {
    DeleteAllPorts();
    m_alive.reset();
}

// ---------------------------------------------------------------- port host

std::vector<CPortHandler*> CSpotweaverDoc::PortList() const {
    std::vector<CPortHandler*> list;
    list.reserve(m_ports.size() + 1);
    for (const PortEntry& entry : m_ports) {
        list.push_back(entry.port.get());
    }
    if (m_adding != nullptr) {
        list.push_back(m_adding);
    }
    return list;
}

bool CSpotweaverDoc::IsPortNameUsed(const std::string& name) const {
    return FindPort(name) != nullptr;
}

void CSpotweaverDoc::PostPortData(CPortHandler& port) {
    if (std::find(m_queue.begin(), m_queue.end(), &port) != m_queue.end()) {
        return;
    }
    m_queue.push_back(&port);
    ScheduleDrain();
}

void CSpotweaverDoc::PostPortCommand(CPortHandler& port, int commandId) {
    std::weak_ptr<int> alive = m_alive;
    CPortHandler* target = &port;
    m_loop.Post([this, alive, target, commandId] {
        // The port may have been removed while the command waited.
        if (!alive.expired() && IndexOf(target) >= 0) {
            RunPortCommand(*target, commandId);
        }
    });
}

// ------------------------------------------------------------ serialization

void CSpotweaverDoc::Read(std::string_view fileBytes) {
    if (m_running) {
        DeleteAllPorts();
    }
    m_linesRead = SetupReader::Lines(fileBytes);
    m_modified = false;
}

bool CSpotweaverDoc::ReadFile(const std::string& path, std::string& error) {
    std::string bytes;
    if (!SetupReader::ReadFile(path, bytes, error)) {
        return false;
    }
    Read(bytes);
    RemoveStaleTemporaries(path);
    return true;
}

void CSpotweaverDoc::RemoveStaleTemporaries(const std::string& path) {
    for (const std::string& stale : AtomicFile::RemoveStale(path)) {
        Print("Removed " + stale + ", left by a save that was cut short\n");
    }
}

std::string CSpotweaverDoc::SaveToString() const {
    return SetupWriter::Write(m_ports, FontSize, FontWeight, FontFace, m_ui);
}

bool CSpotweaverDoc::SaveFile(const std::string& path, std::string& error) {
    RemoveStaleTemporaries(path);
    if (!AtomicFile::Replace(path, SaveToString(), error)) {
        return false;
    }
    m_modified = false;
    return true;
}

// ------------------------------------------------------------------ loading

void CSpotweaverDoc::LoadPorts() {
    // Loading builds the whole setup; ports of an earlier load would
    // otherwise stand in front of the new ones.
    if (!m_ports.empty()) {
        DeleteAllPorts();
    }
    StartPorts();
    FontSize = StoredFontSize;
    CSetupLoader(m_ui, m_factory, *this, m_ports).Load(m_linesRead, FontSize, FontWeight, FontFace);
    RefillSelector();
    Print("Ports loaded, use Connect command to start\n");
    m_ui.ApplyFont(FontSize, FontWeight, FontFace);
}

void CSpotweaverDoc::RefillSelector() {
    m_ui.ClearPortSelector();
    m_ui.AddPortSelectorItem(All);
    for (const PortEntry& entry : m_ports) {
        m_ui.AddPortSelectorItem(entry.port->PortName);
    }
    m_ui.SelectFirstPortSelectorItem();
}

// ------------------------------------------------------------- running

void CSpotweaverDoc::StartPorts() {
    if (m_timerId != 0) {
        m_loop.StopTimer(m_timerId);
    }
    m_running = true;
    m_tickCounter = 0;
    std::weak_ptr<int> alive = m_alive;
    m_timerId = m_loop.StartTimer(1000, [this, alive] {
        if (!alive.expired()) {
            OnTick();
        }
    });
}

void CSpotweaverDoc::DeleteAllPorts() {
    m_running = false;
    if (m_timerId != 0) {
        m_loop.StopTimer(m_timerId);
        m_timerId = 0;
    }
    for (const PortEntry& entry : m_ports) {
        entry.port->DisconnectManual();
    }
    for (const PortEntry& entry : m_detached) {
        entry.port->DisconnectManual();
    }
    m_queue.clear();
    std::vector<PortEntry> ports = std::move(m_ports);
    m_ports.clear();
    for (PortEntry& entry : ports) {
        DestroyPort(std::move(entry));
    }
    std::vector<PortEntry> detached = std::move(m_detached);
    m_detached.clear();
    for (PortEntry& entry : detached) {
        DestroyPort(std::move(entry));
    }
}

void CSpotweaverDoc::DestroyPort(PortEntry entry) {
    ForgetQueued(entry.port.get());
    m_pressure.Forget(entry.port.get());
    // The port lets go of its window as it is destroyed, so the window closes
    // after it.
    entry.port.reset();
    if (entry.window != nullptr) {
        m_ui.ClosePortWindow(entry.window);
    }
}

void CSpotweaverDoc::OnTick() {
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        CPortHandler& port = *m_ports[i].port;
        port.OnTimer();
        if (port.PendingLines() != 0) {
            PostPortData(port);
        }
    }
    if (m_tickCounter >= 5) {
        RefreshStatus();
        m_tickCounter = 0;
    }
    ++m_tickCounter;
    if (m_countReports && ++m_countSeconds >= 60) {
        m_countSeconds = 0;
        ReportCounts();
    }
    ReapDetached();
}

void CSpotweaverDoc::RefreshStatus() {
    std::string status;
    for (const PortEntry& entry : m_ports) {
        status += entry.port->GetStatusText();
    }
    m_ui.SetStatusBarText(status);
}

void CSpotweaverDoc::ReportCounts() {
    for (const PortEntry& entry : m_ports) {
        CRouter* router = entry.port->Router();
        if (router != nullptr && router->TakeCountsChange()) {
            entry.port->PrintMessage(router->CountsText());
            const std::string merged = router->MergeCountsText();
            if (!merged.empty()) {
                entry.port->PrintMessage(merged);
            }
        }
    }
}

void CSpotweaverDoc::ReapDetached() {
    for (std::size_t i = 0; i < m_detached.size();) {
        if (!m_detached[i].port->IsStopped()) {
            ++i;
            continue;
        }
        PortEntry entry = std::move(m_detached[i]);
        m_detached.erase(m_detached.begin() + static_cast<std::ptrdiff_t>(i));
        const std::string name = entry.port->PortName;
        DestroyPort(std::move(entry));
        Print(name + " port removed\n");
    }
}

void CSpotweaverDoc::OnPortData(CPortHandler& port) {
    int taken = 0;
    if (RouteLines(port, 1, taken)) {
        PostPortData(port);
    }
}

bool CSpotweaverDoc::RouteLines(CPortHandler& port, int maxLines, int& taken) {
    taken = 0;
    if (IndexOf(&port) < 0) {
        return false;
    }
    // The port tells its transport when the router took input, so a
    // transport that paused for want of room reads on.
    return port.ProcessInput(maxLines, &taken);
}

void CSpotweaverDoc::ScheduleDrain() {
    if (m_drainPosted) {
        return;
    }
    m_drainPosted = true;
    std::weak_ptr<int> alive = m_alive;
    m_loop.Post([this, alive] {
        if (!alive.expired()) {
            Drain();
        }
    });
}

void CSpotweaverDoc::Drain() {
    // Nothing is routed while an output is full: the rings fill, the
    // transports stop reading, and TCP holds the senders back.
    if (!m_queue.empty() && m_pressure.Holds(PortList())) {
        m_drainPosted = false;
        WaitForOutputs();
        return;
    }
    // Requests made while draining join the queue; m_drainPosted stays set
    // until the slice ends, so they post nothing of their own. The outputs
    // write what the whole slice gave them once, as it ends: still in this
    // turn, but one send per slice instead of one per port's batch.
    {
        COutputBatch::Scope batch;
        for (int budget = LinesPerSlice; budget > 0 && !m_queue.empty();) {
            CPortHandler* port = m_queue.front();
            m_queue.pop_front();
            int taken = 0;
            // Routing may queue the same port again (the console queues its
            // own typed line); PostPortData keeps it to one entry.
            if (RouteLines(*port, std::min(budget, LinesPerTurn), taken)) {
                PostPortData(*port);
            }
            budget -= std::max(taken, 1);
        }
        COutputBatch::SetMoreWaiting(!m_queue.empty());
    }
    m_drainPosted = false;
    if (!m_queue.empty()) {
        ScheduleDrain();
    }
}

void CSpotweaverDoc::WaitForOutputs() {
    if (m_heldPollSet) {
        return;
    }
    m_heldPollSet = true;
    std::weak_ptr<int> alive = m_alive;
    m_loop.SingleShot(HeldPollMs, [this, alive] {
        if (!alive.expired()) {
            m_heldPollSet = false;
            ScheduleDrain();
        }
    });
}

void CSpotweaverDoc::ForgetQueued(CPortHandler* port) {
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), port), m_queue.end());
}

// ------------------------------------------------------------ adding, removing

bool CSpotweaverDoc::AddPort(const std::string& kind) {
    if (PortCount() > MaxPorts - 1) {
        m_ui.MessageBox("Too Many Ports");
        return false;
    }
    IPortView* window = m_ui.NewPortWindow();
    if (window == nullptr) {
        m_ui.MessageBox("Command failed.");
        return false;
    }
    window->SetTitleParts("Temp", "");
    std::unique_ptr<CPortHandler> port = m_factory.CreateNew(kind, *this, *window);
    if (port == nullptr) {
        m_ui.ClosePortWindow(window);
        m_ui.MessageBox("The port kind " + kind + " is not built into this program.");
        return false;
    }
    m_adding = port.get();
    const bool confirmed = port->SetupNewPort();
    m_adding = nullptr;
    if (!confirmed) {
        DestroyPort({std::move(port), window});
        return false;
    }
    if (port->Router() == nullptr) {
        // Every port in the setup has a router; a data type that built none
        // leaves nothing to save or route.
        DestroyPort({std::move(port), window});
        m_ui.MessageBox("The port has no data type: it is not added.");
        return false;
    }
    const std::string name = port->PortName;
    m_ports.push_back({std::move(port), window});
    m_ui.AddPortSelectorItem(name);
    Print(name + " port loaded, use Connect command to start\n");
    m_modified = true;
    return true;
}

bool CSpotweaverDoc::RemovePort(const std::string& portName) {
    // Callers pass the port's own name; it must outlive the port.
    const std::string name = portName;
    if (m_ports.empty()) {
        return true;
    }
    if (name == "Main") {
        return m_ui.AskYesNo("This will close all windows, continue?");
    }
    if (!m_ui.AskYesNo("This will remove this port from the setup, continue?\nPort: " + name)) {
        return false;
    }
    const int index = IndexOf(FindPort(name));
    if (index < 0) {
        return false;
    }
    const auto at = static_cast<std::ptrdiff_t>(index);
    CPortHandler& port = *m_ports[static_cast<std::size_t>(index)].port;
    port.DisconnectManual();
    Unroute(port);
    PortEntry owned = std::move(m_ports[static_cast<std::size_t>(index)]);
    m_ports.erase(m_ports.begin() + at);
    ForgetQueued(owned.port.get());
    // Every transport stops within DisconnectManual, so one look is the
    // whole wait; a port still running is looked at again on each tick.
    if (owned.port->IsStopped()) {
        m_ui.RemovePortSelectorItem(name);
        DestroyPort(std::move(owned));
        Print(name + " port removed\n");
    } else {
        Print(name + ": Can't stop port to remove it!\n");
        m_detached.push_back(std::move(owned));
    }
    m_modified = true;
    return true;
}

void CSpotweaverDoc::Unroute(CPortHandler& port) {
    CRouter* removed = port.Router();
    for (const PortEntry& other : m_ports) {
        CRouter* router = other.port->Router();
        if (router == nullptr) {
            continue;
        }
        if (removed != nullptr) {
            router->RemoveRoute(removed);
        }
        // A trace into the removed port would outlive it.
        if (router->GetTracePort() == &port) {
            router->SetTracePort(nullptr);
        }
    }
    if (removed != nullptr) {
        // A port that cannot be stopped stays alive for a while; its own
        // routes must not lead to ports removed after it.
        while (removed->RouteCount() > 0) {
            removed->RemoveRoute(removed->GetRoute(0));
        }
        removed->SetTracePort(nullptr);
    }
}

// ------------------------------------------------------------------ commands

void CSpotweaverDoc::OnCommand(int id) {
    if (const PortKind* kind = PortKinds::OfCommand(id)) {
        AddPort(kind->portType);
        return;
    }
    switch (id) {
    case CommandId::Routes:
        RunRoutes();
        break;
    case CommandId::Connect:
        ConnectSelected();
        break;
    case CommandId::Disconnect:
        DisconnectSelected();
        break;
    case CommandId::Remove:
        RemoveSelected();
        break;
    case CommandId::EditScript:
        EditScriptSelected();
        break;
    case CommandId::EditPort:
        EditPortSelected();
        break;
    case CommandId::StopScript:
        StopScriptSelected();
        break;
    case CommandId::Font:
        ChooseFont();
        break;
    default:
        break;
    }
}

void CSpotweaverDoc::OnPortCommand(const std::string& portName, int id) {
    if (id == PortCommand::Remove) {
        RemovePort(portName);
        return;
    }
    CPortHandler* port = FindPort(portName);
    if (port != nullptr) {
        RunPortCommand(*port, id);
    }
}

void CSpotweaverDoc::RunPortCommand(CPortHandler& port, int id) {
    const std::string name = port.PortName;
    switch (id) {
    case PortCommand::Connect:
        port.Connect();
        Print(name + " port connect commanded\n");
        break;
    case PortCommand::Disconnect:
        port.DisconnectManual();
        Print(name + " port disconnect commanded(manual)\n");
        break;
    case PortCommand::DisconnectKeepScript:
        port.Disconnect();
        Print(name + " port disconnect commanded(don't stop script)\n");
        break;
    case PortCommand::Remove:
        RemovePort(name);
        break;
    case PortCommand::Edit:
        EditPort(port);
        break;
    case PortCommand::EditScript:
        EditScript(port);
        break;
    case PortCommand::StopScript:
        StopScript(port);
        break;
    default:
        break;
    }
}

std::vector<CPortHandler*> CSpotweaverDoc::SelectedPorts() const {
    std::vector<CPortHandler*> selected;
    for (const PortEntry& entry : m_ports) {
        if (IsSelected(*entry.port)) {
            selected.push_back(entry.port.get());
        }
    }
    return selected;
}

void CSpotweaverDoc::ConnectSelected() {
    for (CPortHandler* port : SelectedPorts()) {
        if (IndexOf(port) < 0 || port->IsConnected() || port->IsTNCPort == CPortHandler::TncSlave) {
            continue;
        }
        const std::string name = port->PortName;
        port->Connect();
        Print(name + " port connect commanded\n");
    }
}

void CSpotweaverDoc::DisconnectSelected() {
    for (CPortHandler* port : SelectedPorts()) {
        if (IndexOf(port) < 0) {
            continue;
        }
        const std::string name = port->PortName;
        port->DisconnectManual();
        Print(name + " port disconnect commanded(manual)\n");
    }
}

void CSpotweaverDoc::RemoveSelected() {
    if (m_ui.PortSelectorText() == All &&
        !m_ui.AskYesNo("Do you really want to remove ALL ports?")) {
        return;
    }
    // A removal moves the next port into the same place, which is looked at
    // next; a declined removal moves on.
    std::size_t i = 0;
    while (i < m_ports.size()) {
        CPortHandler* port = m_ports[i].port.get();
        if (IsSelected(*port)) {
            RemovePort(port->PortName);
        }
        if (i < m_ports.size() && m_ports[i].port.get() == port) {
            ++i;
        }
    }
    m_modified = true;
}

void CSpotweaverDoc::EditScriptSelected() {
    if (m_ui.PortSelectorText() == All) {
        m_ui.MessageBox(SelectPortFirst);
        return;
    }
    for (CPortHandler* port : SelectedPorts()) {
        EditScript(*port);
    }
}

void CSpotweaverDoc::EditPortSelected() {
    if (m_ui.PortSelectorText() == All) {
        m_ui.MessageBox(SelectPortFirst);
        return;
    }
    for (CPortHandler* port : SelectedPorts()) {
        EditPort(*port);
    }
}

void CSpotweaverDoc::StopScriptSelected() {
    for (CPortHandler* port : SelectedPorts()) {
        StopScript(*port);
    }
}

void CSpotweaverDoc::EditPort(CPortHandler& port) {
    const std::string oldName = port.PortName;
    if (!port.EditSetup()) {
        return;
    }
    if (port.PortName != oldName) {
        m_ui.RemovePortSelectorItem(oldName);
        m_ui.AddPortSelectorItem(port.PortName);
    }
    m_modified = true;
}

void CSpotweaverDoc::EditScript(CPortHandler& port) {
    if (!port.TalksToPeer()) {
        m_ui.MessageBox(port.PortName + " talks to no peer: it has no connect script to edit.");
        return;
    }
    if (port.Script().EditDialog(m_ui)) {
        m_modified = true;
    }
}

void CSpotweaverDoc::StopScript(CPortHandler& port) {
    port.Script().Stop();
    Print(port.PortName + " Script stopped\n");
}

void CSpotweaverDoc::RunRoutes() {
    CRouteSetupModel model(*this, [this] { m_modified = true; });
    m_ui.RunRouteSetupDialog(model);
    m_modified = true;
}

void CSpotweaverDoc::ChooseFont() {
    int size = FontSize;
    int weight = FontWeight;
    std::string face = FontFace;
    if (!m_ui.RunFontDialog(size, weight, face)) {
        return;
    }
    FontSize = size;
    FontWeight = weight;
    FontFace = face;
    m_modified = true;
    m_ui.ApplyFont(FontSize, FontWeight, FontFace);
}

// ------------------------------------------------------------------ helpers

CPortHandler* CSpotweaverDoc::Port(int i) const {
    return i >= 0 && i < PortCount() ? m_ports[static_cast<std::size_t>(i)].port.get() : nullptr;
}

IPortView* CSpotweaverDoc::PortWindow(int i) const {
    return i >= 0 && i < PortCount() ? m_ports[static_cast<std::size_t>(i)].window : nullptr;
}

CPortHandler* CSpotweaverDoc::FindPort(const std::string& name) const {
    for (const PortEntry& entry : m_ports) {
        if (entry.port->PortName == name) {
            return entry.port.get();
        }
    }
    return nullptr;
}

int CSpotweaverDoc::IndexOf(const CPortHandler* port) const {
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (port != nullptr && m_ports[i].port.get() == port) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CSpotweaverDoc::IsSelected(const CPortHandler& port) const {
    const std::string selected = m_ui.PortSelectorText();
    return selected == All || selected == port.PortName;
}

void CSpotweaverDoc::Print(const std::string& text) {
    m_ui.MainView().AppendText(text);
}
