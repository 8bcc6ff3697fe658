#include "setup/SpotweaverDoc.h"

#include "platform/IEventLoop.h"
#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/PortCommands.h"
#include "port/PortHandler.h"
#include "routing/RouteSetupModel.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/AtomicFile.h"
#include "setup/IPortFactory.h"
#include "setup/PlacementBlock.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Setup menu commands.
namespace MenuCommand {
constexpr int AddCom = 32772;
constexpr int AddConsole = 32773;
constexpr int AddNetConnect = 32775;
constexpr int AddNetBroadcast = 32776;
constexpr int Routes = 32777;
constexpr int Connect = 32779;
constexpr int Disconnect = 32780;
constexpr int AddRxNetConnect = 32783;
constexpr int EditScript = 32787;
constexpr int EditPort = 32788;
constexpr int StopScript = 32789;
constexpr int AddLogFile = 32790;
constexpr int Font = 32799;
constexpr int Remove = 3;
} // namespace MenuCommand

constexpr const char* All = "ALL";
constexpr const char* SelectPortFirst = "You must select a specific port first.";

// "PortType" values by their leading characters, in the order they are tried.
struct PortKind {
    const char* prefix;
    std::size_t length;
};
constexpr PortKind kPortKinds[] = {
    {"CON", 3}, {"COM", 3}, {"TEL", 3}, {"CTE", 3}, {"RXTEL", 5}, {"FILE", 4},
};

// A setup file is a few kilobytes; anything far larger is not one.
constexpr long MaxSetupFileBytes = 16L * 1024 * 1024;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "1 port section", "2 port sections".
std::string Counted(int n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

} // namespace

CSpotweaverDoc::CSpotweaverDoc(IEventLoop& loop, const IClock& clock, IUiServices& ui,
                               IPortFactory& factory)
    : m_loop(loop), m_clock(clock), m_ui(ui), m_factory(factory) {}

CSpotweaverDoc::~CSpotweaverDoc() {
    DeleteAllPorts();
    m_alive.reset();
}

// ---------------------------------------------------------------- port host

std::vector<CPortHandler*> CSpotweaverDoc::PortList() const {
    std::vector<CPortHandler*> list;
    list.reserve(m_ports.size() + 1);
    for (const auto& port : m_ports) {
        list.push_back(port.get());
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
    m_linesRead.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < fileBytes.size()) {
        const char c = fileBytes[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        m_linesRead.emplace_back(fileBytes.substr(start, i - start));
        ++i;
        // CR LF is one line end; a CR alone ends the line by itself.
        if (c == '\r' && i < fileBytes.size() && fileBytes[i] == '\n') {
            ++i;
        }
        start = i;
    }
    if (start < fileBytes.size()) {
        m_linesRead.emplace_back(fileBytes.substr(start));
    }
    m_modified = false;
}

bool CSpotweaverDoc::ReadFile(const std::string& path, std::string& error) {
    // Opened without waiting, so that a named pipe or a device given by
    // mistake is refused instead of blocking the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "Can't open setup file " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "Setup file " + Quoted(path) + " is not a regular file";
        return false;
    }
    if (st.st_size > MaxSetupFileBytes) {
        ::close(fd);
        error = "Setup file " + Quoted(path) + " is larger than 16 MiB; not a setup file";
        return false;
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = "Can't read setup file " + Quoted(path) + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0 || static_cast<long>(bytes.size()) > MaxSetupFileBytes) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    Read(bytes);
    return true;
}

std::string CSpotweaverDoc::SaveToString() const {
    std::string out;
    CSetupFile setup([&out](std::string_view line) { out += line; });
    const int count = PortCount();
    setup.PutInt("NumberOfPorts", count);
    setup.PutInt("FontSize", FontSize);
    setup.PutInt("FontWeight", FontWeight);
    setup.PutString("FontFace", FontFace);
    for (const auto& port : m_ports) {
        port->Save(setup);
        if (port->Router() != nullptr) {
            port->Router()->Save(setup);
        }
    }
    // Ports are numbered from 1 in list order; when two entries match, the
    // later one is written.
    auto numberOfPort = [this](const CPortHandler* target) {
        int number = 0;
        for (int j = 0; j < PortCount(); ++j) {
            if (target != nullptr && m_ports[static_cast<std::size_t>(j)].get() == target) {
                number = j + 1;
            }
        }
        return number;
    };
    auto numberOfRouter = [this](const CRouter* target) {
        int number = 0;
        for (int j = 0; j < PortCount(); ++j) {
            if (target != nullptr && m_ports[static_cast<std::size_t>(j)]->Router() == target) {
                number = j + 1;
            }
        }
        return number;
    };
    for (const auto& port : m_ports) {
        const CRouter* router = port->Router();
        setup.PutInt("Trace", router != nullptr ? numberOfPort(router->GetTracePort()) : 0);
        for (int k = 0; k < count; ++k) {
            setup.PutInt("Port", router != nullptr ? numberOfRouter(router->GetRoute(k)) : 0);
        }
    }
    PlacementBlock::Write(setup, m_ui.MainView().GetPlacement());
    const MainFrameLayout layout = m_ui.GetMainFrameLayout();
    PlacementBlock::Write(setup, layout.mainFrame);
    PlacementBlock::Write(setup, layout.consoleBar);
    PlacementBlock::Write(setup, layout.statusBar);
    PlacementBlock::Write(setup, layout.toolBar);
    setup.PutInt("MainFrameToolbar.showwindow", layout.consoleBarShown);
    setup.PutInt("m_wndStatusBar.showwindow", layout.statusBarShown);
    setup.PutInt("m_wndToolBar.showwindow", layout.toolBarShown);
    return out;
}

bool CSpotweaverDoc::SaveFile(const std::string& path, std::string& error) {
    if (!AtomicFile::Replace(path, SaveToString(), error)) {
        return false;
    }
    m_modified = false;
    return true;
}

// ------------------------------------------------------------------ loading
//
// The reader is strictly sequential, so what cannot be loaded is skipped in
// whole sections, each rejection said once in the main window and in a
// message box:
// - a negative NumberOfPorts loads no ports;
// - a port section whose PortType is of no known kind, a section past the
//   32nd, and a port whose InputType is no data type are skipped from their
//   first line up to the next "PortType" or "Trace" line; the other ports
//   keep their numbers, and routes or traces naming a skipped port are
//   dropped;
// - a file that ends inside a port section keeps the ports before it and
//   loads no routes; a port is never built from part of its section;
// - route sections are read while "Trace" and "Port" lines follow, so a
//   section with a line too few or too many is reported and the reader stays
//   in step; numbers outside 0..N are dropped;
// - a layout block cut short is not applied; lines left after the layout are
//   reported.

void CSpotweaverDoc::LoadPorts() {
    // Loading builds the whole setup; ports of an earlier load would
    // otherwise stand in front of the new ones.
    if (!m_ports.empty()) {
        DeleteAllPorts();
    }
    CSetupFile setup(m_linesRead, m_ui);
    StartPorts();
    const int stated = setup.GetInt("NumberOfPorts");
    if (setup.PastEnd()) {
        Reject("Setup file is empty: no ports loaded");
    } else if (stated < 0) {
        Reject("Setup file: NumberOfPorts=" + std::to_string(stated) +
               " is not a port count: no ports loaded");
    }
    if (setup.IsNextKey("FontSize")) {
        FontSize = setup.GetInt("FontSize");
        FontWeight = setup.GetInt("FontWeight");
        FontFace = setup.GetString("FontFace");
        if (setup.PastEnd()) {
            Reject("Setup file ends inside the font lines: no ports loaded");
        }
    }
    std::vector<CPortHandler*> sections;
    bool complete = !setup.PastEnd() && stated >= 0;
    for (int i = 0; complete && i < stated; ++i) {
        if (setup.IsNextKey("Trace")) {
            Reject("Setup file: NumberOfPorts=" + std::to_string(stated) + " but only " +
                   Counted(i, "port section") + " found");
            break;
        }
        complete = LoadPortSection(setup, i + 1, sections);
    }
    if (complete && LoadRoutes(setup, sections)) {
        LoadWindowLayout(setup);
        RejectUnreadLines(setup);
    }
    RefillSelector();
    Print("Ports loaded, use Connect command to start\n");
    m_ui.ApplyFont(FontSize, FontWeight, FontFace);
}

bool CSpotweaverDoc::LoadPortSection(CSetupFile& setup, int number,
                                     std::vector<CPortHandler*>& sections) {
    const std::string section = "Setup file: port section " + std::to_string(number);
    const std::string type = setup.GetString("PortType");
    if (setup.PastEnd()) {
        Reject("Setup file ends before port section " + std::to_string(number) +
               ": the ports from there on are not loaded");
        return false;
    }
    auto skip = [&](const std::string& why) {
        Reject(section + why);
        SkipPortSection(setup);
        sections.push_back(nullptr);
        return true;
    };
    const std::string kind = KindOfPortType(type);
    if (kind.empty()) {
        return skip(" has the unknown PortType " + Quoted(type) + ": its lines are skipped");
    }
    if (number > MaxPorts) {
        return skip(" is past the limit of " + std::to_string(MaxPorts) +
                    " ports: its lines are skipped");
    }
    IPortView* window = m_ui.NewPortWindow();
    if (window == nullptr) {
        return skip(": no window could be made for the port; its lines are skipped");
    }
    std::unique_ptr<CPortHandler> port = m_factory.CreateFromSetup(kind, setup, *this, *window);
    if (port == nullptr) {
        m_ui.ClosePortWindow(window);
        return skip(": the port kind " + kind +
                    " is not built into this program; its lines are skipped");
    }
    const std::string name = port->PortName;
    auto endsInside = [&] {
        DestroyPort(std::move(port), window);
        Reject("Setup file ends inside port section " + std::to_string(number) + " (" + name +
               "): that port and the routes are not loaded");
        return false;
    };
    if (setup.PastEnd()) {
        return endsInside();
    }
    const int code = setup.GetInt("InputType");
    if (setup.PastEnd()) {
        return endsInside();
    }
    std::unique_ptr<CRouter> router = RouterFactory::CreateFromSetup(code, setup, *port);
    if (setup.PastEnd()) {
        return endsInside();
    }
    if (router == nullptr) {
        DestroyPort(std::move(port), window);
        return skip(" (" + name + ") has the unknown InputType " + std::to_string(code) +
                    ": the port is not loaded");
    }
    port->SetRouter(std::move(router));
    sections.push_back(port.get());
    m_ports.push_back(std::move(port));
    m_windows.push_back(window);
    Print(name + " port loaded\n");
    return true;
}

void CSpotweaverDoc::SkipPortSection(CSetupFile& setup) {
    // Every read consumes a line, so this ends at the end of the file.
    while (!setup.IsNextKey("PortType") && !setup.IsNextKey("Trace")) {
        setup.ReadLine();
        if (setup.PastEnd()) {
            return;
        }
    }
}

bool CSpotweaverDoc::LoadRoutes(CSetupFile& setup, const std::vector<CPortHandler*>& sections) {
    const int count = static_cast<int>(sections.size());
    if (count > 0 && setup.IsNextKey("PortType")) {
        Reject("Setup file: more port sections than NumberOfPorts=" + std::to_string(count) +
               ": the rest of the file is not loaded");
        return false;
    }
    // What a number in a route section stands for; null when it names no
    // loaded port (out of range or skipped).
    auto portOf = [&](int number) -> CPortHandler* {
        return number >= 1 && number <= count ? sections[static_cast<std::size_t>(number - 1)]
                                              : nullptr;
    };
    for (int s = 0; s < count; ++s) {
        const std::string section = "Setup file: route section " + std::to_string(s + 1);
        int trace = 0;
        if (setup.IsNextKey("Trace")) {
            trace = setup.GetInt("Trace");
        } else if (setup.IsNextKey("Port")) {
            Reject(section + " has no Trace line");
        } else {
            Reject("Setup file: only " + std::to_string(s) + " of " + std::to_string(count) +
                   " route sections found");
            return true;
        }
        CRouter* router = sections[static_cast<std::size_t>(s)] != nullptr
                              ? sections[static_cast<std::size_t>(s)]->Router()
                              : nullptr;
        std::string dropped;
        if (router != nullptr && trace != 0) {
            if (portOf(trace) != nullptr) {
                router->SetTracePort(portOf(trace));
            } else {
                dropped += " Trace=" + std::to_string(trace);
            }
        }
        int lines = 0;
        while (setup.IsNextKey("Port")) {
            const int m = setup.GetInt("Port");
            ++lines;
            if (router == nullptr) {
                continue;
            }
            if (m == 0) {
                router->AddRoute(nullptr);
            } else if (portOf(m) != nullptr) {
                router->AddRoute(portOf(m)->Router());
            } else {
                dropped += " Port=" + std::to_string(m);
            }
        }
        if (lines != count) {
            Reject(section + " has " + Counted(lines, "Port line") + " instead of " +
                   std::to_string(count));
        }
        if (!dropped.empty()) {
            Reject(section + ": dropped" + dropped +
                   ", which names no loaded port (ports are numbered 1 to " +
                   std::to_string(count) + ")");
        }
    }
    return true;
}

void CSpotweaverDoc::LoadWindowLayout(CSetupFile& setup) {
    if (setup.IsNextKey("showCmd")) {
        const WindowPlacement placement = PlacementBlock::Read(setup);
        if (setup.PastEnd()) {
            Reject("Setup file ends inside the main window's placement: it is not applied");
            return;
        }
        m_ui.MainView().SetPlacement(placement);
    }
    if (setup.IsNextKey("showCmd")) {
        MainFrameLayout layout;
        layout.mainFrame = PlacementBlock::Read(setup);
        layout.consoleBar = PlacementBlock::Read(setup);
        layout.statusBar = PlacementBlock::Read(setup);
        layout.toolBar = PlacementBlock::Read(setup);
        layout.consoleBarShown = setup.GetInt("MainFrameToolbar.showwindow");
        layout.statusBarShown = setup.GetInt("m_wndStatusBar.showwindow");
        layout.toolBarShown = setup.GetInt("m_wndToolBar.showwindow");
        if (setup.PastEnd()) {
            Reject("Setup file ends inside the main frame's layout: it is not applied");
            return;
        }
        m_ui.SetMainFrameLayout(layout);
    }
}

void CSpotweaverDoc::RejectUnreadLines(CSetupFile& setup) {
    int unread = 0;
    for (;;) {
        setup.ReadLine();
        if (setup.PastEnd()) {
            break;
        }
        ++unread;
    }
    if (unread > 0) {
        Reject("Setup file: " + Counted(unread, "line") + " after the window layout not read");
    }
}

void CSpotweaverDoc::RefillSelector() {
    m_ui.ClearPortSelector();
    m_ui.AddPortSelectorItem(All);
    for (const auto& port : m_ports) {
        m_ui.AddPortSelectorItem(port->PortName);
    }
    m_ui.SelectFirstPortSelectorItem();
}

std::string CSpotweaverDoc::KindOfPortType(const std::string& portType) {
    for (const PortKind& kind : kPortKinds) {
        if (portType.compare(0, kind.length, kind.prefix) == 0) {
            return kind.prefix;
        }
    }
    return {};
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
    for (const auto& port : m_ports) {
        port->DisconnectManual();
    }
    for (const auto& port : m_detached) {
        port->DisconnectManual();
    }
    m_queue.clear();
    std::vector<std::unique_ptr<CPortHandler>> ports = std::move(m_ports);
    std::vector<IPortView*> windows = std::move(m_windows);
    m_ports.clear();
    m_windows.clear();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        DestroyPort(std::move(ports[i]), windows[i]);
    }
    std::vector<std::unique_ptr<CPortHandler>> detached = std::move(m_detached);
    std::vector<IPortView*> detachedWindows = std::move(m_detachedWindows);
    m_detached.clear();
    m_detachedWindows.clear();
    for (std::size_t i = 0; i < detached.size(); ++i) {
        DestroyPort(std::move(detached[i]), detachedWindows[i]);
    }
}

void CSpotweaverDoc::DestroyPort(std::unique_ptr<CPortHandler> port, IPortView* window) {
    ForgetQueued(port.get());
    // The port lets go of its window as it is destroyed, so the window closes
    // after it.
    port.reset();
    if (window != nullptr) {
        m_ui.ClosePortWindow(window);
    }
}

void CSpotweaverDoc::OnTick() {
    std::string status;
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        CPortHandler& port = *m_ports[i];
        if (port.Router() != nullptr) {
            port.Router()->OnTimer();
        }
        if (port.PendingLines() != 0) {
            PostPortData(port);
        }
        if (m_tickCounter == 5) {
            status += port.GetStatusText();
        }
    }
    if (m_tickCounter >= 5) {
        m_ui.SetStatusBarText(status);
        m_tickCounter = 0;
    }
    ++m_tickCounter;
    if (m_countReports && ++m_countSeconds >= 60) {
        m_countSeconds = 0;
        ReportCounts();
    }
    ReapDetached();
}

void CSpotweaverDoc::ReportCounts() {
    for (const auto& port : m_ports) {
        if (port->Router() != nullptr && port->Router()->TakeCountsChange()) {
            port->PrintMessage(port->Router()->CountsText());
        }
    }
}

void CSpotweaverDoc::ReapDetached() {
    for (std::size_t i = 0; i < m_detached.size();) {
        if (!m_detached[i]->IsStopped()) {
            ++i;
            continue;
        }
        std::unique_ptr<CPortHandler> port = std::move(m_detached[i]);
        IPortView* window = m_detachedWindows[i];
        m_detached.erase(m_detached.begin() + static_cast<std::ptrdiff_t>(i));
        m_detachedWindows.erase(m_detachedWindows.begin() + static_cast<std::ptrdiff_t>(i));
        const std::string name = port->PortName;
        DestroyPort(std::move(port), window);
        Print(name + " port removed\n");
    }
}

void CSpotweaverDoc::OnPortData(CPortHandler& port) {
    if (RouteOneLine(port)) {
        PostPortData(port);
    }
}

bool CSpotweaverDoc::RouteOneLine(CPortHandler& port) {
    if (IndexOf(&port) < 0 || port.Router() == nullptr) {
        return false;
    }
    // The router tells the port when it took input, so a transport that
    // paused for want of room reads on.
    return port.Router()->ProcessInput();
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
    // Requests made while draining join the queue; m_drainPosted stays set
    // until the slice ends, so they post nothing of their own.
    for (int budget = LinesPerSlice; budget > 0 && !m_queue.empty(); --budget) {
        CPortHandler* port = m_queue.front();
        m_queue.pop_front();
        // Routing may queue the same port again (the console queues its own
        // typed line); PostPortData keeps it to one entry.
        if (RouteOneLine(*port)) {
            PostPortData(*port);
        }
    }
    m_drainPosted = false;
    if (!m_queue.empty()) {
        ScheduleDrain();
    }
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
        DestroyPort(std::move(port), window);
        return false;
    }
    if (port->Router() == nullptr) {
        // Every port in the setup has a router; a data type that built none
        // leaves nothing to save or route.
        DestroyPort(std::move(port), window);
        m_ui.MessageBox("The port has no data type: it is not added.");
        return false;
    }
    const std::string name = port->PortName;
    m_ports.push_back(std::move(port));
    m_windows.push_back(window);
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
    if (!m_ui.AskYesNo("This will remove this port from the setup, continue?")) {
        return false;
    }
    const int index = IndexOf(FindPort(name));
    if (index < 0) {
        return false;
    }
    const auto at = static_cast<std::ptrdiff_t>(index);
    CPortHandler& port = *m_ports[static_cast<std::size_t>(index)];
    port.DisconnectManual();
    Unroute(port);
    std::unique_ptr<CPortHandler> owned = std::move(m_ports[static_cast<std::size_t>(index)]);
    IPortView* window = m_windows[static_cast<std::size_t>(index)];
    m_ports.erase(m_ports.begin() + at);
    m_windows.erase(m_windows.begin() + at);
    ForgetQueued(owned.get());
    // Every transport stops within DisconnectManual, so one look is the
    // whole wait; a port still running is looked at again on each tick.
    if (owned->IsStopped()) {
        m_ui.RemovePortSelectorItem(name);
        DestroyPort(std::move(owned), window);
        Print(name + " port removed\n");
    } else {
        Print(name + ": Can't stop port to remove it!\n");
        m_detached.push_back(std::move(owned));
        m_detachedWindows.push_back(window);
    }
    m_modified = true;
    return true;
}

void CSpotweaverDoc::Unroute(CPortHandler& port) {
    CRouter* removed = port.Router();
    for (const auto& other : m_ports) {
        CRouter* router = other->Router();
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
    switch (id) {
    case MenuCommand::AddCom:
        AddPort("COM");
        break;
    case MenuCommand::AddConsole:
        AddPort("CON");
        break;
    case MenuCommand::AddNetConnect:
        AddPort("TEL");
        break;
    case MenuCommand::AddNetBroadcast:
        AddPort("CTE");
        break;
    case MenuCommand::AddRxNetConnect:
        AddPort("RXTEL");
        break;
    case MenuCommand::AddLogFile:
        AddPort("FILE");
        break;
    case MenuCommand::Routes:
        RunRoutes();
        break;
    case MenuCommand::Connect:
        ConnectSelected();
        break;
    case MenuCommand::Disconnect:
        DisconnectSelected();
        break;
    case MenuCommand::Remove:
        RemoveSelected();
        break;
    case MenuCommand::EditScript:
        EditScriptSelected();
        break;
    case MenuCommand::EditPort:
        EditPortSelected();
        break;
    case MenuCommand::StopScript:
        StopScriptSelected();
        break;
    case MenuCommand::Font:
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
    for (const auto& port : m_ports) {
        if (IsSelected(*port)) {
            selected.push_back(port.get());
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
        CPortHandler* port = m_ports[i].get();
        if (IsSelected(*port)) {
            RemovePort(port->PortName);
        }
        if (i < m_ports.size() && m_ports[i].get() == port) {
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
    return i >= 0 && i < PortCount() ? m_ports[static_cast<std::size_t>(i)].get() : nullptr;
}

IPortView* CSpotweaverDoc::PortWindow(int i) const {
    return i >= 0 && i < PortCount() ? m_windows[static_cast<std::size_t>(i)] : nullptr;
}

CPortHandler* CSpotweaverDoc::FindPort(const std::string& name) const {
    for (const auto& port : m_ports) {
        if (port->PortName == name) {
            return port.get();
        }
    }
    return nullptr;
}

int CSpotweaverDoc::IndexOf(const CPortHandler* port) const {
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (port != nullptr && m_ports[i].get() == port) {
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

void CSpotweaverDoc::Reject(const std::string& text) {
    Print(text + "\n");
    m_ui.MessageBox(text);
}
