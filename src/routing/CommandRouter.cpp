#include "routing/CommandRouter.h"

CCommandRouter::CCommandRouter(CPortHandler& port) : CRouter(port, DataTypeCode::Command) {}

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
