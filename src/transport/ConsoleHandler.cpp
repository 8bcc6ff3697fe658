#include "transport/ConsoleHandler.h"

#include "platform/IPortView.h"
#include "platform/IUiServices.h"
#include "port/IPortHost.h"
#include "port/PortKind.h"
#include "port/PortSetupValues.h"
#include "setup/SetupFile.h"

#include <cstring>

const PortKind& CConsoleHandler::Kind() {
    return PortKinds::Of(PortKindCode::Console);
}

CConsoleHandler::CConsoleHandler(IPortHost& host, IPortView& view) : CPortHandler(host, view) {}

CConsoleHandler::CConsoleHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CPortHandler(setup, host, view) {}

bool CConsoleHandler::SetupNewPort() {
    PortSetupValues values;
    FillNewPortValues(values);
    Kind().DescribeNew(values);
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    // The console is always named "CON": the dialog keeps the name fixed.
    values.name = Kind().newName;
    ApplyNewPortValues(values);
    return true;
}

bool CConsoleHandler::EditSetup() {
    PortSetupValues values;
    FillSetupValues(values);
    Kind().Describe(values);
    if (!Host().Ui().RunPortSetupDialog(values)) {
        return false;
    }
    values.name = PortName;
    ApplyEditValues(values);
    return true;
}

void CConsoleHandler::DoConnect() {
    SetConnected(true);
    OnLinkStart();
    PrintMessage("Port connected");
}

CPortHandler::LinkEnd CConsoleHandler::DoDisconnect() {
    return LinkEnd::Now;
}

void CConsoleHandler::Write(const char* data, int len) {
    if (data == nullptr || len <= 0) {
        return;
    }
    const void* nul = std::memchr(data, '\0', static_cast<std::size_t>(len));
    const std::size_t shown = nul != nullptr
                                  ? static_cast<std::size_t>(static_cast<const char*>(nul) - data)
                                  : static_cast<std::size_t>(len);
    PrintText(std::string_view(data, shown));
}

void CConsoleHandler::SavePortType(CSetupFile& setup) const {
    setup.PutString("PortType", Kind().portType);
}

void CConsoleHandler::SaveKindSettings(CSetupFile&) const {}

void CConsoleHandler::SendLine(std::string_view text) {
    // A line that does not fit beside what is waiting would empty the whole
    // ring buffer; it is refused instead.
    if (static_cast<long>(text.size()) + 1 > RingBuffer().FreeSpace()) {
        PrintMessage("Input buffer full, typed line not taken");
        return;
    }
    OnReceive(text.data(), static_cast<int>(text.size()));
    OnReceive("\n", 1);
    CPortHandler::SendLine(text);
}
