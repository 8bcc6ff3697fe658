#include "document/SetupLoader.h"

#include "document/SpotweaverDoc.h"
#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/IPortFactory.h"
#include "port/PortHandler.h"
#include "port/PortKind.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/PlacementBlock.h"
#include "setup/SetupFile.h"

#include <utility>

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "1 port section", "2 port sections".
std::string Counted(int n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

} // namespace

CSetupLoader::CSetupLoader(IUiServices& ui, IPortFactory& factory, IPortHost& host,
                           std::vector<PortEntry>& ports)
    : m_ui(ui), m_factory(factory), m_host(host), m_ports(ports) {}

void CSetupLoader::Load(const std::vector<std::string>& lines, int& fontSize, int& fontWeight,
                        std::string& fontFace) {
    CSetupFile setup(lines, m_ui);
    const int stated = setup.GetInt("NumberOfPorts");
    if (setup.PastEnd()) {
        Reject("Setup file is empty: no ports loaded");
    } else if (stated < 0) {
        Reject("Setup file: NumberOfPorts=" + std::to_string(stated) +
               " is not a port count: no ports loaded");
    }
    if (setup.IsNextKey("FontSize")) {
        fontSize = setup.GetInt("FontSize");
        fontWeight = setup.GetInt("FontWeight");
        fontFace = setup.GetString("FontFace");
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
}

bool CSetupLoader::LoadPortSection(CSetupFile& setup, int number,
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
    if (number > CSpotweaverDoc::MaxPorts) {
        return skip(" is past the limit of " + std::to_string(CSpotweaverDoc::MaxPorts) +
                    " ports: its lines are skipped");
    }
    IPortView* window = m_ui.NewPortWindow();
    if (window == nullptr) {
        return skip(": no window could be made for the port; its lines are skipped");
    }
    std::unique_ptr<CPortHandler> port = m_factory.CreateFromSetup(kind, setup, m_host, *window);
    if (port == nullptr) {
        m_ui.ClosePortWindow(window);
        return skip(": the port kind " + kind +
                    " is not built into this program; its lines are skipped");
    }
    const std::string name = port->PortName;
    auto endsInside = [&] {
        Discard({std::move(port), window});
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
        Discard({std::move(port), window});
        return skip(" (" + name + ") has the unknown InputType " + std::to_string(code) +
                    ": the port is not loaded");
    }
    port->SetRouter(std::move(router));
    sections.push_back(port.get());
    m_ports.push_back({std::move(port), window});
    Print(name + " port loaded\n");
    return true;
}

void CSetupLoader::SkipPortSection(CSetupFile& setup) {
    // Every read consumes a line, so this ends at the end of the file.
    while (!setup.IsNextKey("PortType") && !setup.IsNextKey("Trace")) {
        setup.ReadLine();
        if (setup.PastEnd()) {
            return;
        }
    }
}

std::string CSetupLoader::Numbering(int count) {
    const int max = CSpotweaverDoc::MaxPorts;
    if (count > max) {
        return "ports are numbered 1 to " + std::to_string(max) + ": a setup loads at most " +
               std::to_string(max) + " ports";
    }
    return "ports are numbered 1 to " + std::to_string(count);
}

bool CSetupLoader::LoadRoutes(CSetupFile& setup, const std::vector<CPortHandler*>& sections) {
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
            Reject(section + ": dropped" + dropped + ", which names no loaded port (" +
                   Numbering(count) + ")");
        }
    }
    return true;
}

void CSetupLoader::LoadWindowLayout(CSetupFile& setup) {
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
        layout.timestamps =
            setup.IsNextKey("ViewTimestamps") && setup.GetInt("ViewTimestamps") != 0;
        layout.localEcho = setup.IsNextKey("ViewLocalEcho") && setup.GetInt("ViewLocalEcho") != 0;
        if (setup.PastEnd()) {
            Reject("Setup file ends inside the main frame's layout: it is not applied");
            return;
        }
        m_ui.SetMainFrameLayout(layout);
    }
}

void CSetupLoader::RejectUnreadLines(CSetupFile& setup) {
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

std::string CSetupLoader::KindOfPortType(const std::string& portType) {
    const PortKind* kind = PortKinds::OfPortType(portType);
    return kind != nullptr ? kind->portType : std::string();
}

void CSetupLoader::Discard(PortEntry entry) {
    entry.port.reset();
    if (entry.window != nullptr) {
        m_ui.ClosePortWindow(entry.window);
    }
}

void CSetupLoader::Print(const std::string& text) {
    m_ui.MainView().AppendText(text);
}

void CSetupLoader::Reject(const std::string& text) {
    Print(text + "\n");
    m_ui.MessageBox(text);
}
