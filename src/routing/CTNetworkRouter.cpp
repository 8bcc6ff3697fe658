#include "routing/CTNetworkRouter.h"

#include "routing/RouterPort.h"

CCTNetworkRouter::CCTNetworkRouter(CRouterPort& port) : CCTRouter(port, DataTypeCode::CTNetwork) {}

std::string_view CCTNetworkRouter::TakeIn(std::string_view line) {
    if (!line.empty()) {
        line.remove_suffix(1);
    }
    return line;
}

void CCTNetworkRouter::Emit(std::string_view text, const CRouterPort& source, bool spotPacket) {
    BeginOutput(source);
    std::string& packet = OutputBuffer();
    if (spotPacket) {
        packet += "B0";
    }
    packet += text;
    unsigned sum = 0;
    for (const char c : packet) {
        sum += static_cast<unsigned char>(c);
    }
    packet += static_cast<char>((sum & 0xFF) | 0x80);
    packet += '\n';
    Port().SendText(packet);
    TraceOut(packet);
}

void CCTNetworkRouter::FromCTSide(const Spot& in, const CRouterPort& source) {
    if (in.source == SourceKind::CTNetwork) {
        FromDirect(in.line, source);
    } else {
        Refuse(in.line, "Can't route CT User to CT Network.");
    }
}
