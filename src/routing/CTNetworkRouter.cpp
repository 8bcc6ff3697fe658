#include "routing/CTNetworkRouter.h"

#include "port/PortHandler.h"

CCTNetworkRouter::CCTNetworkRouter(CPortHandler& port) : CCTRouter(port, DataTypeCode::CTNetwork) {}

std::string_view CCTNetworkRouter::TakeIn(std::string_view line) {
    if (!line.empty()) {
        line.remove_suffix(1);
    }
    return line;
}

void CCTNetworkRouter::Emit(std::string_view text, const CPortHandler& source, bool spotPacket) {
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
    Port().Write(packet.data(), static_cast<int>(packet.size()));
    TraceOut(packet);
}

void CCTNetworkRouter::FromCTNetwork(std::string_view line, CPortHandler& source) {
    FromDirect(line, source);
}

void CCTNetworkRouter::FromCTUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT User to CT Network.");
}
