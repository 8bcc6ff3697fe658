#include "routing/MircUserRouter.h"

#include "port/IPortHost.h"
#include "port/PortHandler.h"

namespace {

// The colour code the channel's spots carry in front of their text.
constexpr std::string_view SpotLead = " :\x03"
                                      "1,15 ";
constexpr std::string_view PlainLead = " :";

} // namespace

CMircUserRouter::CMircUserRouter(CPortHandler& port)
    : CRouter(port, DataTypeCode::MircUser), m_parser(*this),
      m_formatter(*this, port.Host().Clock()) {}

// IRC text may carry 8-bit characters; the other ports get 7-bit text.
std::string_view CMircUserRouter::TakeIn(std::string_view line) {
    m_received.assign(line);
    for (char& c : m_received) {
        c = static_cast<char>(c & 0x7F);
    }
    RecordOwnSpot(m_parser, m_received);
    return m_received;
}

void CMircUserRouter::SendMessage(std::string_view lead, std::string_view text,
                                  const CPortHandler& source) {
    m_message.clear();
    m_message += "privmsg ";
    m_message += MyCall;
    m_message += lead;
    m_message += text;
    SendFramed(m_message, source);
}

void CMircUserRouter::FromMircUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route IRC to IRC.");
}

void CMircUserRouter::FromClusterUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route User to IRC.");
}

void CMircUserRouter::FromClusseUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route Clusse User to IRC.");
}

void CMircUserRouter::FromClusterNode(std::string_view line, CPortHandler& source) {
    if (IsIgnorable(line)) {
        return;
    }
    SpotFields spot;
    if (m_parser.Parse(SourceKind::ClusterNode, line, spot) && m_formatter.FormatIrcSpot(spot) &&
        Sends(spot)) {
        SendMessage(SpotLead, m_formatter.Text(), source);
    }
}

void CMircUserRouter::FromDirect(std::string_view line, CPortHandler& source) {
    if (!IsIgnorable(line)) {
        SendMessage(PlainLead, line, source);
    }
}

void CMircUserRouter::FromCTNetwork(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT to IRC.");
}

void CMircUserRouter::FromCTUser(std::string_view line, CPortHandler&) {
    Refuse(line, "Can't route CT User to IRC.");
}
