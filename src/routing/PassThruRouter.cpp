#include "routing/PassThruRouter.h"

#include "routing/RouterPort.h"

CPassThruRouter::CPassThruRouter(CRouterPort& port) : CRouter(port, DataTypeCode::PassThru) {}

void CPassThruRouter::Convert(const Spot& in, const CRouterPort&) {
    if (in.source == SourceKind::PassThru) {
        Port().SendText(in.line);
    } else {
        Refuse(in.line, "Can't route from anything to PassThru except PassThru.");
    }
}
