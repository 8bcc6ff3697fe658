#include "document/SetupWriter.h"

#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/PortHandler.h"
#include "routing/Router.h"
#include "setup/PlacementBlock.h"
#include "setup/SetupFile.h"

namespace SetupWriter {

std::string Write(const std::vector<PortEntry>& ports, int fontSize, int fontWeight,
                  const std::string& fontFace, IUiServices& ui) {
    std::string out;
    CSetupFile setup([&out](std::string_view line) { out += line; });
    const int count = static_cast<int>(ports.size());
    setup.PutInt("NumberOfPorts", count);
    setup.PutInt("FontSize", fontSize);
    setup.PutInt("FontWeight", fontWeight);
    setup.PutString("FontFace", fontFace);
    for (const PortEntry& entry : ports) {
        entry.port->Save(setup);
        if (entry.port->Router() != nullptr) {
            entry.port->Router()->Save(setup);
        }
    }
    // Ports are numbered from 1 in list order; when two entries match, the
    // later one is written.
    auto numberOfPort = [&ports](const CRouterPort* target) {
        int number = 0;
        for (std::size_t j = 0; j < ports.size(); ++j) {
            if (target != nullptr && ports[j].port.get() == target) {
                number = static_cast<int>(j) + 1;
            }
        }
        return number;
    };
    auto numberOfRouter = [&ports](const CRouter* target) {
        int number = 0;
        for (std::size_t j = 0; j < ports.size(); ++j) {
            if (target != nullptr && ports[j].port->Router() == target) {
                number = static_cast<int>(j) + 1;
            }
        }
        return number;
    };
    for (const PortEntry& entry : ports) {
        const CRouter* router = entry.port->Router();
        setup.PutInt("Trace", router != nullptr ? numberOfPort(router->GetTracePort()) : 0);
        for (int k = 0; k < count; ++k) {
            setup.PutInt("Port", router != nullptr ? numberOfRouter(router->GetRoute(k)) : 0);
        }
    }
    PlacementBlock::Write(setup, ui.MainView().GetPlacement());
    const MainFrameLayout layout = ui.GetMainFrameLayout();
    PlacementBlock::Write(setup, layout.mainFrame);
    PlacementBlock::Write(setup, layout.consoleBar);
    PlacementBlock::Write(setup, layout.statusBar);
    PlacementBlock::Write(setup, layout.toolBar);
    setup.PutInt("MainFrameToolbar.showwindow", layout.consoleBarShown);
    setup.PutInt("m_wndStatusBar.showwindow", layout.statusBarShown);
    setup.PutInt("m_wndToolBar.showwindow", layout.toolBarShown);
    if (layout.timestamps) {
        setup.PutInt("ViewTimestamps", 1);
    }
    if (layout.localEcho) {
        setup.PutInt("ViewLocalEcho", 1);
    }
    return out;
}

} // namespace SetupWriter
