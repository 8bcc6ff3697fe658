#include "routing/ClusseUserRouter.h"

CClusseUserRouter::CClusseUserRouter(CPortHandler& port)
    : CClusterUserRouter(port, DataTypeCode::ClusseUser) {}
