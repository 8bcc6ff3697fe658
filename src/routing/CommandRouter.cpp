#include "routing/CommandRouter.h"

CCommandRouter::CCommandRouter(CPortHandler& port) : CRouter(port, DataTypeCode::Command) {}

// Every spot-bearing source alike.
void CCommandRouter::FromSpotSource(SourceKind, std::string_view line, CPortHandler& source) {
    SendFramed(line, source);
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
