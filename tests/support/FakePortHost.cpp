#include "support/FakePortHost.h"

#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"

bool FakePort::SetupNewPort() {
    PortSetupValues values;
    values.kind = "FAKE";
    FillSetupValues(values);
    values.name = "FAKE";
    values.dataType = "Command";
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    ApplyNewPortValues(values);
    return true;
}

void FakePort::DoConnect() {
    ++connectCalls;
    ComeUp();
}

void FakePort::ComeUp() {
    SetConnected(true);
    OnLinkStart();
    OnReceive("", 0);
}

void FakePort::GoDown() {
    Disconnect();
}

void FakePort::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", "FAKE");
}

void FakePort::SaveKindSettings(CSetupFile&) const {}

bool FakePort::EditSetup() {
    PortSetupValues values;
    values.kind = "FAKE";
    FillSetupValues(values);
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    ApplyEditValues(values);
    return true;
}

std::vector<CPortHandler*> FakePortHost::PortList() const {
    std::vector<CPortHandler*> list;
    for (const auto& p : ports) {
        list.push_back(p.get());
    }
    return list;
}

bool FakePortHost::IsPortNameUsed(const std::string& name) const {
    for (const auto& p : ports) {
        if (p->PortName == name) {
            return true;
        }
    }
    return false;
}

FakePort& FakePortHost::AddPort(const std::string& name, int tncRole) {
    views.push_back(std::make_unique<RecordingPortView>());
    ports.push_back(std::make_unique<FakePort>(*this, *views.back()));
    FakePort& port = *ports.back();
    port.PortName = name;
    port.IsTNCPort = tncRole;
    port.RingBuffer().SetSize(32000);
    return port;
}

void FakePortHost::RouteAll() {
    for (int guard = 0; guard < 100000 && !portData.empty(); ++guard) {
        CPortHandler* port = portData.front();
        portData.erase(portData.begin());
        if (port->ProcessInput()) {
            portData.push_back(port);
        }
    }
}
