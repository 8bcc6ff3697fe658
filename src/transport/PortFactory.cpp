#include "transport/PortFactory.h"

#include "transport/ConsoleHandler.h"
#include "transport/FileHandler.h"

// TEMPORARY: the serial and network kinds join the factory as their classes
// land; remove these checks once all four headers are in the tree.
#if __has_include("transport/ComHandler.h")
#include "transport/ComHandler.h"
#define SW_HAVE_COM 1
#endif
#if __has_include("transport/NetConnectHandler.h")
#include "transport/NetConnectHandler.h"
#define SW_HAVE_TEL 1
#endif
#if __has_include("transport/NetBroadcastHandler.h")
#include "transport/NetBroadcastHandler.h"
#define SW_HAVE_CTE 1
#endif
#if __has_include("transport/RxNetHandler.h")
#include "transport/RxNetHandler.h"
#define SW_HAVE_RXTEL 1
#endif

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
#ifdef SW_HAVE_COM
    if (kind == "COM") {
        return Make<CComHandler>(setup, host, view);
    }
#endif
#ifdef SW_HAVE_TEL
    if (kind == "TEL") {
        return Make<CNetConnectHandler>(setup, host, view);
    }
#endif
#ifdef SW_HAVE_CTE
    if (kind == "CTE") {
        return Make<CNetBroadcastHandler>(setup, host, view);
    }
#endif
#ifdef SW_HAVE_RXTEL
    if (kind == "RXTEL") {
        return Make<CRxNetHandler>(setup, host, view);
    }
#endif
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
