#include "routing/PassThruRouter.h"

#include "port/PortHandler.h"

CPassThruRouter::CPassThruRouter(CPortHandler& port) : CRouter(port, DataTypeCode::PassThru) {}

bool CPassThruRouter::ProcessInput() {
    CRingBuffer& input = Port().RingBuffer();
    if (!input.HasData()) {
        return false;
    }
    ClearIdle();
    const std::string_view bytes = input.GetAll();
    TraceIn(bytes);
    DeliverToRoutes(bytes);
    Port().OnInputTaken();
    return input.HasData();
}

void CPassThruRouter::FromPassThru(std::string_view bytes, CPortHandler&) {
    Port().Write(bytes.data(), static_cast<int>(bytes.size()));
}

// Every spot-bearing source alike.
void CPassThruRouter::FromSpotSource(SourceKind, std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route from anything to PassThru except PassThru.");
}

void CPassThruRouter::FromCommand(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CPassThruRouter::FromDirect(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CPassThruRouter::FromCTNetwork(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}

void CPassThruRouter::FromCTUser(std::string_view line, CPortHandler& source) {
    FromClusterUser(line, source);
}
