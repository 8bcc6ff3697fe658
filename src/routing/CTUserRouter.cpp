#include "routing/CTUserRouter.h"

CCTUserRouter::CCTUserRouter(CPortHandler& port) : CCTRouter(port) { InputType = "CT User"; }

CCTUserRouter::CCTUserRouter(CSetupFile& setup, CPortHandler& port) : CCTUserRouter(port) {
    ReadSettings(setup, Keys);
}

void CCTUserRouter::Deliver(CRouter& destination, std::string_view line, CPortHandler& source) {
    destination.FromCTUser(line, source);
}

void CCTUserRouter::Emit(std::string_view text, const CPortHandler& source, bool) {
    SendFramed(text, source);
}

void CCTUserRouter::FromCTNetwork(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT Network to CT User.");
}

void CCTUserRouter::FromCTUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT User to CT User.");
}
