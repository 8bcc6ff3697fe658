#include "routing/MircUserRouter.h"

#include "routing/RouterPort.h"

namespace {

// The colour code the channel's spots carry in front of their text.
constexpr std::string_view SpotLead = " :\x03"
                                      "1,15 ";
constexpr std::string_view PlainLead = " :";

// The kinds whose lines the channel does not take, and what it says.
const char* RefusalOf(SourceKind kind) {
    switch (kind) {
    case SourceKind::MircUser:
        return "Can't route IRC to IRC.";
    case SourceKind::ClusterUser:
        return "Can't route User to IRC.";
    case SourceKind::ClusseUser:
        return "Can't route Clusse User to IRC.";
    case SourceKind::CTNetwork:
        return "Can't route CT to IRC.";
    case SourceKind::CTUser:
        return "Can't route CT User to IRC.";
    default:
        return nullptr;
    }
}

} // namespace

CMircUserRouter::CMircUserRouter(CRouterPort& port)
    : CRouter(port, DataTypeCode::MircUser), m_formatter(*this, port.Clock()) {}

// IRC text may carry 8-bit characters; the other ports get 7-bit text.
std::string_view CMircUserRouter::TakeIn(std::string_view line) {
    m_received.assign(line);
    for (char& c : m_received) {
        c = static_cast<char>(c & 0x7F);
    }
    return m_received;
}

void CMircUserRouter::SendMessage(std::string_view lead, std::string_view text,
                                  const CRouterPort& source) {
    m_message.clear();
    m_message += "privmsg ";
    m_message += MyCall;
    m_message += lead;
    m_message += text;
    SendFramed(m_message, source);
}

// Spots of node ports are posted, direct-style text goes out as a plain
// message.
void CMircUserRouter::Convert(const Spot& in, const CRouterPort& source) {
    if (const char* refusal = RefusalOf(in.source)) {
        Refuse(in.line, refusal);
        return;
    }
    if (IsIgnorable(in.line)) {
        return;
    }
    if (!CarriesSpots(in.source)) {
        SendMessage(PlainLead, in.line, source);
        return;
    }
    SpotFields spot;
    if (SpotFor(in, spot)) {
        SendSpot(spot, source);
    }
}

void CMircUserRouter::SendSpot(const SpotFields& spot, const CRouterPort& source) {
    if (m_formatter.FormatIrcSpot(spot) && Sends(spot)) {
        SendMessage(SpotLead, m_formatter.Text(), source);
    }
}
