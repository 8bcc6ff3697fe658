#include "transport/PortFactory.h"

#include "transport/ComHandler.h"
#include "transport/ConsoleHandler.h"
#include "transport/FileHandler.h"
#include "transport/NetBroadcastHandler.h"
#include "transport/NetConnectHandler.h"
#include "transport/RxNetHandler.h"

namespace {

// Constructs kind T from the setup when setup is given, else new.
template <class T>
std::unique_ptr<CPortHandler> Make(CSetupFile* setup, IPortHost& host, IPortView& view) {
    if (setup != nullptr) {
        return std::make_unique<T>(*setup, host, view);
    }
    return std::make_unique<T>(host, view);
}

std::unique_ptr<CPortHandler> Build(const std::string& kind, CSetupFile* setup, IPortHost& host,
                                    IPortView& view) {
    if (kind == "CON") {
        return Make<CConsoleHandler>(setup, host, view);
    }
    if (kind == "FILE") {
        return Make<CFileHandler>(setup, host, view);
    }
    if (kind == "COM") {
        return Make<CComHandler>(setup, host, view);
    }
    if (kind == "TEL") {
        return Make<CNetConnectHandler>(setup, host, view);
    }
    if (kind == "CTE") {
        return Make<CNetBroadcastHandler>(setup, host, view);
    }
    if (kind == "RXTEL") {
        return Make<CRxNetHandler>(setup, host, view);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<CPortHandler> CPortFactory::CreateFromSetup(const std::string& kind,
                                                            CSetupFile& setup, IPortHost& host,
                                                            IPortView& view) {
    return Build(kind, &setup, host, view);
}

std::unique_ptr<CPortHandler> CPortFactory::CreateNew(const std::string& kind, IPortHost& host,
                                                      IPortView& view) {
    return Build(kind, nullptr, host, view);
}
