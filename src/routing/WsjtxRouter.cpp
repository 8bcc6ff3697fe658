#include "routing/WsjtxRouter.h"

CWsjtxRouter::CWsjtxRouter(CRouterPort& port) : CRouter(port, DataTypeCode::Wsjtx) {}

void CWsjtxRouter::Convert(const Spot& in, const CRouterPort&) {
    Refuse(in.line, "Can't route to WSJT-X, it takes no input.");
}
