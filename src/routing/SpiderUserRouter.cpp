#include "routing/SpiderUserRouter.h"

CSpiderUserRouter::CSpiderUserRouter(CRouterPort& port)
    : CClusterUserRouter(port, DataTypeCode::SpiderUser) {}

bool CSpiderUserRouter::FormatSpot(const SpotFields& spot) {
    return m_formatter.FormatDxCommand(spot);
}
