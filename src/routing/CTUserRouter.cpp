#include "routing/CTUserRouter.h"

CCTUserRouter::CCTUserRouter(CRouterPort& port) : CCTRouter(port, DataTypeCode::CTUser) {}

void CCTUserRouter::Emit(std::string_view text, const CRouterPort& source, bool) {
    SendFramed(text, source);
}

void CCTUserRouter::FromCTSide(const Spot& in, const CRouterPort&) {
    Refuse(in.line, in.source == SourceKind::CTNetwork ? "Can't route CT Network to CT User."
                                                       : "Can't route CT User to CT User.");
}
