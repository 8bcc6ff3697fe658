#include "routing/ClusseUserRouter.h"

CClusseUserRouter::CClusseUserRouter(CPortHandler& port) : CClusterUserRouter(port) {
    InputType = "Clusse User";
}

CClusseUserRouter::CClusseUserRouter(CSetupFile& setup, CPortHandler& port)
    : CClusterUserRouter(setup, port) {
    InputType = "Clusse User";
}

void CClusseUserRouter::Deliver(CRouter& destination, std::string_view line,
                                CPortHandler& source) {
    destination.FromClusseUser(line, source);
}

std::string_view CClusseUserRouter::TakeIn(std::string_view line) {
    SpotFields spot;
    if (m_parser.ParseClusseSpot(line, spot)) {
        IsDupe(spot);
    }
    return line;
}
