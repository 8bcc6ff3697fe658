#include "routing/CommandRouter.h"

CCommandRouter::CCommandRouter(CPortHandler& port) : CRouter(port) { InputType = "Command"; }

CCommandRouter::CCommandRouter(CSetupFile& setup, CPortHandler& port) : CCommandRouter(port) {
    ReadSettings(setup, Keys);
}

void CCommandRouter::SaveSettings(CSetupFile& setup) const { WriteSettings(setup, Keys); }

void CCommandRouter::Deliver(CRouter& destination, std::string_view line, CPortHandler& source) {
    destination.FromCommand(line, source);
}

void CCommandRouter::FromClusterUser(std::string_view line, CPortHandler& source) {
    SendFramed(line, source);
}

void CCommandRouter::FromMircUser(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromClusseUser(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromCommand(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromDirect(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromCTNetwork(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CCommandRouter::FromCTUser(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}
