#include "routing/CommandRouter.h"

CCommandRouter::CCommandRouter(CRouterPort& port) : CRouter(port, DataTypeCode::Command) {}

void CCommandRouter::Convert(const Spot& in, const CRouterPort& source) {
    SendFramed(in.line, source);
}
