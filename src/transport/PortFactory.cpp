#include "transport/PortFactory.h"

#include "port/PortKind.h"
#include "transport/ComHandler.h"
#include "transport/ConsoleHandler.h"
#include "transport/FileHandler.h"
#include "transport/MqttHandler.h"
#include "transport/NetBroadcastHandler.h"
#include "transport/NetConnectHandler.h"
#include "transport/RxNetHandler.h"
#include "transport/WebHandler.h"
#include "transport/WsjtxHandler.h"

namespace {

// Constructs kind T from the setup when setup is given, else new.
template <class T>
std::unique_ptr<CPortHandler> Make(CSetupFile* setup, IPortHost& host, IPortView& view) {
    if (setup != nullptr) {
        return std::make_unique<T>(*setup, host, view);
    }
    return std::make_unique<T>(host, view);
}

std::unique_ptr<CPortHandler> Build(const std::string& name, CSetupFile* setup, IPortHost& host,
                                    IPortView& view) {
    const PortKind* kind = PortKinds::Named(name);
    if (kind == nullptr) {
        return nullptr;
    }
    // Without a default, the compiler names a kind that has no transport.
    switch (kind->code) {
    case PortKindCode::Console:
        return Make<CConsoleHandler>(setup, host, view);
    case PortKindCode::Com:
        return Make<CComHandler>(setup, host, view);
    case PortKindCode::Telnet:
        return Make<CNetConnectHandler>(setup, host, view);
    case PortKindCode::Broadcast:
        return Make<CNetBroadcastHandler>(setup, host, view);
    case PortKindCode::RxTelnet:
        return Make<CRxNetHandler>(setup, host, view);
    case PortKindCode::LogFile:
        return Make<CFileHandler>(setup, host, view);
    case PortKindCode::Wsjtx:
        return Make<CWsjtxHandler>(setup, host, view);
    case PortKindCode::Web:
        return Make<CWebHandler>(setup, host, view);
    case PortKindCode::Mqtt:
        return Make<CMqttHandler>(setup, host, view);
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
