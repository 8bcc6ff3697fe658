#include "routing/JsonSpotsRouter.h"

#include "routing/RouterPort.h"

CJsonSpotsRouter::CJsonSpotsRouter(CRouterPort& port)
    : CRouter(port, DataTypeCode::JsonSpots), m_writer(port.Clock()) {}

void CJsonSpotsRouter::Convert(const Spot& in, const CRouterPort& source) {
    SpotFields spot;
    if (in.isSpot && SpotFor(in, spot)) {
        SendSpot(spot, source);
    }
}

void CJsonSpotsRouter::SendSpot(const SpotFields& spot, const CRouterPort& source) {
    if (Sends(spot)) {
        SendFramed(m_writer.Format(spot), source);
    }
}
