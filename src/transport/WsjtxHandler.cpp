#include "transport/WsjtxHandler.h"

#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"
#include "spots/SpotFormatter.h"

#include <algorithm>

namespace {

constexpr int DefaultRepeat = 10;
// A day: longer would keep every station of a contest weekend unspotted.
constexpr int MaxRepeat = 1440;

} // namespace

CWsjtxHandler::CWsjtxHandler(IPortHost& host, IPortView& view)
    : CNetPort(host, view), m_maker(m_options, Clock(), *this), m_listener(m_maker, *this) {}

//   HostName=127.0.0.1
//   PortNumber=2237
//   WsjtxSpotAll=1      (only when on)
//   WsjtxRepeat=5       (only when not 10)
//   WsjtxOffAir=1       (only when on)
CWsjtxHandler::CWsjtxHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CNetPort(setup, host, view), m_maker(m_options, Clock(), *this), m_listener(m_maker, *this) {
    HostName = setup.GetString("HostName");
    PortNumber = PortNumberOf(setup.GetInt("PortNumber"));
    if (setup.IsNextKey("WsjtxSpotAll")) {
        m_options.SpotAll = setup.GetInt("WsjtxSpotAll") != 0;
    }
    if (setup.IsNextKey("WsjtxRepeat")) {
        SetRepeatMinutes(setup.GetInt("WsjtxRepeat"));
    }
    if (setup.IsNextKey("WsjtxOffAir")) {
        m_options.OffAir = setup.GetInt("WsjtxOffAir") != 0;
    }
}

CWsjtxHandler::~CWsjtxHandler() = default;

void CWsjtxHandler::SetRepeatMinutes(int minutes) {
    const int used = std::clamp(minutes, 0, MaxRepeat);
    if (used != minutes) {
        PrintMessage("WsjtxRepeat " + std::to_string(minutes) + " is out of range, using " +
                     std::to_string(used));
    }
    m_options.RepeatMinutes = used;
}

void CWsjtxHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("HostName", HostName);
    setup.PutInt("PortNumber", PortNumber);
    if (m_options.SpotAll) {
        setup.PutInt("WsjtxSpotAll", 1);
    }
    if (m_options.RepeatMinutes != DefaultRepeat) {
        setup.PutInt("WsjtxRepeat", m_options.RepeatMinutes);
    }
    if (m_options.OffAir) {
        setup.PutInt("WsjtxOffAir", 1);
    }
}

CNetPort::Fields CWsjtxHandler::KindFields() const {
    return {{"HostName", HostName},
            {"PortNumber", std::to_string(PortNumber)},
            {"WsjtxSpotAll", m_options.SpotAll ? "1" : "0"},
            {"WsjtxRepeat", std::to_string(m_options.RepeatMinutes)},
            {"WsjtxOffAir", m_options.OffAir ? "1" : "0"}};
}

void CWsjtxHandler::ApplyKindFields(const PortSetupValues& values) {
    HostName = FieldOf(values, "HostName", HostName);
    PortNumber = PortNumberOf(FieldOf(values, "PortNumber", std::to_string(PortNumber)));
    m_options.SpotAll = FieldOf(values, "WsjtxSpotAll", m_options.SpotAll ? "1" : "0") == "1";
    SetRepeatMinutes(
        CSetupFile::ToInt(FieldOf(values, "WsjtxRepeat", std::to_string(m_options.RepeatMinutes))));
    m_options.OffAir = FieldOf(values, "WsjtxOffAir", m_options.OffAir ? "1" : "0") == "1";
}

void CWsjtxHandler::DoConnect() {
    // The spotter until a receiver sends its Status, as the router holds it
    // when the port connects.
    if (Router() != nullptr) {
        m_options.MyCall = Router()->MyCall;
    }
    if (!m_listener.Open(HostName, PortNumber)) {
        return;
    }
    SetConnected(true);
    PrintMessage("Port connected");
    OnLinkStart();
}

CPortHandler::LinkEnd CWsjtxHandler::DoDisconnect() {
    m_listener.Close();
    return LinkEnd::Now;
}

// The receivers get nothing back.
void CWsjtxHandler::Write(const char*, int) {}

void CWsjtxHandler::WsjtxSpot(const SpotFields& spot) {
    CRouter* router = Router();
    if (router == nullptr) {
        return;
    }
    CSpotFormatter formatter(*router, Clock());
    if (formatter.FormatDxDe(spot)) {
        router->OnLine(formatter.Text());
    }
}

void CWsjtxHandler::WsjtxLine(std::string_view line) {
    PrintMessage(line);
}
