#include "routing/CTUserRouter.h"

CCTUserRouter::CCTUserRouter(CPortHandler& port) : CCTRouter(port, DataTypeCode::CTUser) {}

void CCTUserRouter::Emit(std::string_view text, const CPortHandler& source, bool) {
    SendFramed(text, source);
}

void CCTUserRouter::FromCTNetwork(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT Network to CT User.");
}

void CCTUserRouter::FromCTUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT User to CT User.");
}
