#include "routing/SpiderUserRouter.h"

CSpiderUserRouter::CSpiderUserRouter(CPortHandler& port) : CClusterUserRouter(port) {
    InputType = "Spider User";
}

CSpiderUserRouter::CSpiderUserRouter(CSetupFile& setup, CPortHandler& port)
    : CClusterUserRouter(setup, port) {
    InputType = "Spider User";
}

bool CSpiderUserRouter::FormatSpot(const SpotFields& spot) {
    return m_formatter.FormatDxCommand(spot);
}
