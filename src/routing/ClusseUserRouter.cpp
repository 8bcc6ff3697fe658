#include "routing/ClusseUserRouter.h"

CClusseUserRouter::CClusseUserRouter(CRouterPort& port)
    : CClusterUserRouter(port, DataTypeCode::ClusseUser) {}
