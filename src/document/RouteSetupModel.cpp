#include "document/RouteSetupModel.h"

#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortHandler.h"
#include "routing/Router.h"

#include <utility>

namespace {

constexpr const char* RoutersNotFound = "Routers not found, something badly wrong!";
constexpr const char* PortNotFound = "Port not found, something badly wrong!";

} // namespace

CRouteSetupModel::CRouteSetupModel(IPortHost& host, std::function<void()> markModified)
    : m_host(host), m_markModified(std::move(markModified)) {}

std::vector<std::string> CRouteSetupModel::PortNames() const {
    std::vector<std::string> names;
    for (const CPortHandler* port : m_host.PortList()) {
        if (port != nullptr) {
            names.push_back(port->PortName);
        }
    }
    return names;
}

CPortHandler* CRouteSetupModel::FindPort(const std::string& name) const {
    CPortHandler* found = nullptr;
    for (CPortHandler* port : m_host.PortList()) {
        if (port != nullptr && port->PortName == name) {
            found = port;
        }
    }
    return found;
}

CRouter* CRouteSetupModel::FindRouter(const std::string& name) const {
    const CPortHandler* port = FindPort(name);
    return port != nullptr ? port->Router() : nullptr;
}

void CRouteSetupModel::MarkModified() {
    m_modified = true;
    if (m_markModified) {
        m_markModified();
    }
}

bool CRouteSetupModel::AddRoute(const std::string& from, const std::string& to, bool twoWay) {
    if (from == to) {
        return false;
    }
    CRouter* source = FindRouter(from);
    CRouter* destination = FindRouter(to);
    if (source == nullptr || destination == nullptr) {
        m_host.Ui().MessageBox(RoutersNotFound);
        return false;
    }
    source->AddRoute(destination);
    if (twoWay) {
        destination->AddRoute(source);
    }
    MarkModified();
    return true;
}

bool CRouteSetupModel::RemoveRoute(const std::string& from, const std::string& to, bool twoWay) {
    CRouter* source = FindRouter(from);
    CRouter* destination = FindRouter(to);
    if (source == nullptr || destination == nullptr) {
        m_host.Ui().MessageBox(RoutersNotFound);
        return false;
    }
    source->RemoveRoute(destination);
    if (twoWay) {
        destination->RemoveRoute(source);
    }
    MarkModified();
    return true;
}

bool CRouteSetupModel::AddTrace(const std::string& from, const std::string& to) {
    CRouter* source = FindRouter(from);
    CPortHandler* tracePort = FindPort(to);
    if (source == nullptr || tracePort == nullptr) {
        m_host.Ui().MessageBox(PortNotFound);
    } else {
        source->SetTracePort(tracePort);
    }
    MarkModified();
    return true;
}

bool CRouteSetupModel::RemoveTrace(const std::string& from) {
    CRouter* source = FindRouter(from);
    if (source == nullptr) {
        m_host.Ui().MessageBox(RoutersNotFound);
    } else {
        source->SetTracePort(nullptr);
    }
    MarkModified();
    return true;
}

std::vector<CRouteSetupModel::Row> CRouteSetupModel::Rows() const {
    const std::vector<CPortHandler*> ports = m_host.PortList();
    std::vector<Row> rows;
    for (const CPortHandler* port : ports) {
        const CRouter* router = port != nullptr ? port->Router() : nullptr;
        if (router == nullptr) {
            continue;
        }
        if (router->GetTracePort() != nullptr) {
            rows.push_back({port->PortName, router->GetTracePort()->PortName, true});
        }
        for (std::size_t k = 0; k < ports.size(); ++k) {
            if (const CRouter* route = router->GetRoute(static_cast<int>(k))) {
                rows.push_back({port->PortName, route->Port().PortName, false});
            }
        }
    }
    return rows;
}

std::string CRouteSetupModel::DisplayText() const {
    const std::vector<CPortHandler*> ports = m_host.PortList();
    std::string text;
    for (const CPortHandler* port : ports) {
        if (port == nullptr) {
            continue;
        }
        text += port->PortName;
        text += "=>";
        const CRouter* router = port->Router();
        if (router != nullptr && router->GetTracePort() != nullptr) {
            text += "[Trace=";
            text += router->GetTracePort()->PortName;
            text += "]";
        }
        for (std::size_t k = 0; k < ports.size(); ++k) {
            const CRouter* route =
                router != nullptr ? router->GetRoute(static_cast<int>(k)) : nullptr;
            if (route != nullptr) {
                text += route->Port().PortName;
            }
            text += " ";
        }
        text += "\r\n";
    }
    return text;
}
