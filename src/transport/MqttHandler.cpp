#include "transport/MqttHandler.h"

#include "filters/CountryFile.h"
#include "platform/IClock.h"
#include "platform/IEventLoop.h"
#include "port/IPortHost.h"
#include "routing/Router.h"
#include "setup/SetupFile.h"
#include "transport/InstanceId.h"
#include "transport/OperatorNotice.h"
#include "transport/WriteQueue.h"

#include <algorithm>

namespace {

constexpr const char* CountriesUnknown = "Topic fields {cont} and {dxcc} unknown";

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Calls fn with each line of text that holds more than blanks, without its
// line end.
template <class Fn> void ForEachLine(std::string_view text, Fn fn) {
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (!Trimmed(line).empty()) {
            fn(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

} // namespace

CMqttHandler::CMqttHandler(IPortHost& host, IPortView& view)
    : CNetPort(host, view), m_client(*this),
      m_drops("payload", [this](std::string_view line) { PrintMessage(line); }), m_writer(Clock()),
      m_countries(CountriesUnknown, [this](std::string_view line) { PrintMessage(line); }) {}

//   HostName=broker.example.net
//   PortNumber=1883
//   MqttClientId=g4abc-shack
//   MqttUser=g4abc              (only when set)
//   MqttPassword=secret         (only when set)
//   MqttTls=/etc/ssl/ca.pem     (only when set)
//   MqttSubscribe=pskr/filter/v2/20m/FT8/#,spotweaver/spots/#   (only when set)
//   MqttPublish=spotweaver/spots/{band}/{mode}   (only when not this)
//   MqttQos=1                   (only when not 0)
CMqttHandler::CMqttHandler(CSetupFile& setup, IPortHost& host, IPortView& view)
    : CNetPort(setup, host, view), m_client(*this),
      m_drops("payload", [this](std::string_view line) { PrintMessage(line); }), m_writer(Clock()),
      m_countries(CountriesUnknown, [this](std::string_view line) { PrintMessage(line); }) {
    HostName = setup.GetString("HostName");
    PortNumber = PortNumberOf(setup.GetInt("PortNumber"));
    MqttClientId = setup.GetString("MqttClientId");
    if (setup.IsNextKey("MqttUser")) {
        MqttUser = setup.GetString("MqttUser");
    }
    if (setup.IsNextKey("MqttPassword")) {
        MqttPassword = setup.GetString("MqttPassword");
    }
    if (setup.IsNextKey("MqttTls")) {
        MqttTls = setup.GetString("MqttTls");
    }
    if (setup.IsNextKey("MqttSubscribe")) {
        MqttSubscribe = setup.GetString("MqttSubscribe");
    }
    if (setup.IsNextKey("MqttPublish")) {
        MqttPublish = setup.GetString("MqttPublish");
    }
    if (setup.IsNextKey("MqttQos")) {
        SetQos(setup.GetInt("MqttQos"));
    }
}

CMqttHandler::~CMqttHandler() {
    if (m_tickTimer != 0) {
        Host().Loop().StopTimer(m_tickTimer);
    }
}

void CMqttHandler::SetQos(int qos) {
    const int used = std::clamp(qos, 0, 1);
    if (used != qos) {
        PrintMessage("MqttQos " + std::to_string(qos) + " is out of range, using " +
                     std::to_string(used));
    }
    MqttQos = used;
}

void CMqttHandler::SaveKindSettings(CSetupFile& setup) const {
    setup.PutString("HostName", HostName);
    setup.PutInt("PortNumber", PortNumber);
    setup.PutString("MqttClientId", MqttClientId);
    const std::pair<const char*, const std::string*> texts[] = {{"MqttUser", &MqttUser},
                                                                {"MqttPassword", &MqttPassword},
                                                                {"MqttTls", &MqttTls},
                                                                {"MqttSubscribe", &MqttSubscribe}};
    for (const auto& [key, value] : texts) {
        if (!value->empty()) {
            setup.PutString(key, *value);
        }
    }
    if (MqttPublish != DefaultPublish) {
        setup.PutString("MqttPublish", MqttPublish);
    }
    if (MqttQos != 0) {
        setup.PutInt("MqttQos", MqttQos);
    }
}

CNetPort::Fields CMqttHandler::KindFields() const {
    return {{"HostName", HostName},
            {"PortNumber", std::to_string(PortNumber)},
            {"MqttClientId", MqttClientId},
            {"MqttUser", MqttUser},
            {"MqttPassword", MqttPassword},
            {"MqttTls", MqttTls},
            {"MqttSubscribe", MqttSubscribe},
            {"MqttPublish", MqttPublish},
            {"MqttQos", std::to_string(MqttQos)}};
}

void CMqttHandler::ApplyKindFields(const PortSetupValues& values) {
    HostName = FieldOf(values, "HostName", HostName);
    PortNumber = PortNumberOf(FieldOf(values, "PortNumber", std::to_string(PortNumber)));
    MqttClientId = FieldOf(values, "MqttClientId", MqttClientId);
    MqttUser = FieldOf(values, "MqttUser", MqttUser);
    MqttPassword = FieldOf(values, "MqttPassword", MqttPassword);
    MqttTls = FieldOf(values, "MqttTls", MqttTls);
    MqttSubscribe = FieldOf(values, "MqttSubscribe", MqttSubscribe);
    MqttPublish = FieldOf(values, "MqttPublish", MqttPublish);
    if (MqttPublish.empty()) {
        MqttPublish = DefaultPublish;
    }
    SetQos(CSetupFile::ToInt(FieldOf(values, "MqttQos", std::to_string(MqttQos))));
}

MqttSettings CMqttHandler::Settings() const {
    MqttSettings settings;
    settings.Host = HostName;
    settings.Port = PortNumber;
    settings.ClientId = MqttClientId;
    settings.User = MqttUser;
    settings.Password = MqttPassword;
    settings.CaFile = MqttTls;
    settings.Qos = MqttQos;
    // QoS 1 is asked for so that nothing is lost while we are away, which
    // takes a session the broker keeps, and that takes a client id.
    settings.KeepSession = MqttQos == 1 && !MqttClientId.empty();
    std::string_view filters = MqttSubscribe;
    while (!filters.empty()) {
        const std::size_t comma = filters.find(',');
        const std::string_view filter = Trimmed(filters.substr(0, comma));
        if (!filter.empty()) {
            settings.Subscriptions.emplace_back(filter);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        filters.remove_prefix(comma + 1);
    }
    return settings;
}

void CMqttHandler::DoConnect() {
    if (m_instanceId.empty()) {
        m_instanceId = InstanceId::Get();
    }
    std::string error;
    if (!m_client.Open(Settings(), error)) {
        PrintMessage("Cannot connect to broker " + m_client.Endpoint() + ": " + error);
        return;
    }
    m_restartedThisLink = false;
    // Read now, so that the first spot does not wait for it and the window
    // tells of a file it cannot use when the port opens.
    Countries();
    SetConnected(true);
    OnLinkStart();
    m_tickTimer = Host().Loop().StartTimer(1000, [this] { Tick(); });
}

CPortHandler::LinkEnd CMqttHandler::DoDisconnect() {
    m_client.Close();
    if (m_tickTimer != 0) {
        Host().Loop().StopTimer(m_tickTimer);
        m_tickTimer = 0;
    }
    return LinkEnd::Now;
}

void CMqttHandler::MqttUp() {
    m_restartedThisLink = false;
}

void CMqttHandler::MqttLine(std::string_view line) {
    PrintMessage(line);
}

void CMqttHandler::MqttMessage(std::string_view topic, std::string_view payload) {
    if (topic.size() > MaxTopic) {
        Drop("topic longer than " + std::to_string(MaxTopic) + " characters");
        return;
    }
    if (payload.size() > MaxPayload) {
        Drop("longer than " + std::to_string(MaxPayload) + " bytes");
        return;
    }
    CRouter* router = Router();
    if (router == nullptr) {
        return;
    }
    // An object is one line however it is laid out; a line data type
    // takes each line.
    if (CarriesJson()) {
        const std::string_view object = Trimmed(payload);
        if (!object.empty() && Welcome(object)) {
            router->OnLine(object);
        }
        return;
    }
    ForEachLine(payload, [router](std::string_view line) { router->OnLine(line); });
}

bool CMqttHandler::CarriesJson() const {
    const int type = Router() != nullptr ? Router()->TypeCode() : -1;
    return type == static_cast<int>(DataTypeCode::JsonSpots) ||
           type == static_cast<int>(DataTypeCode::PskReporter);
}

bool CMqttHandler::Welcome(std::string_view payload) {
    if (Router()->TypeCode() != static_cast<int>(DataTypeCode::JsonSpots)) {
        return true;
    }
    SpotFields spot;
    if (!m_reader.Read(payload, spot)) {
        // The router tells what it cannot read.
        return true;
    }
    if (m_reader.Origin() == m_instanceId) {
        Drop("our own spot came back");
        return false;
    }
    if (m_reader.Hops() >= MaxHops) {
        Drop("more than " + std::to_string(MaxHops) + " hops");
        return false;
    }
    return true;
}

void CMqttHandler::Write(const char* data, int len) {
    if (!IsConnected() || len <= 0) {
        return;
    }
    ForEachLine(std::string_view(data, static_cast<std::size_t>(len)),
                [this](std::string_view line) { PublishLine(line); });
}

// A spot the router wrote goes out with our origin and one hop:
//   {"spotter":"DL1ABC","spotted":"K1ABC","frequency":14025.2,...,
//    "origin":"3f9c0a7d21b4e658","hops":1}
bool CMqttHandler::PrepareSpot(std::string_view line, MqttTopicFields& fields,
                               std::string_view& payload) {
    SpotFields spot;
    if (!m_reader.Read(line, spot)) {
        return false;
    }
    fields.Band = m_reader.Band();
    fields.Mode = m_reader.Mode();
    fields.Dx = spot.DxCall;
    fields.Spotter = spot.Spotter;
    if (const CCountryFile* countries = Countries()) {
        const int continent = countries->ContinentOf(spot.DxCall);
        if (continent != CCountryFile::NoContinent) {
            fields.Cont = CCountryFile::ContinentName(continent);
        }
        const int dxcc = countries->DxccOf(spot.DxCall);
        m_dxcc = dxcc != CCountryFile::NoDxcc ? std::to_string(dxcc) : std::string();
        fields.Dxcc = m_dxcc;
    }
    payload = m_writer.Format(spot, m_instanceId, 1);
    return true;
}

// The continent of {cont} and the ADIF number of {dxcc} come from the
// country file the port's filter reads (the program's default when it names
// none), followed when the filter names another.
const CCountryFile* CMqttHandler::Countries() {
    return Router() != nullptr ? m_countries.Get(Router()->Filter().CountryFile()) : nullptr;
}

void CMqttHandler::PublishLine(std::string_view line) {
    MqttTopicFields fields;
    std::string_view payload = line;
    if (Router() != nullptr && Router()->TypeCode() == static_cast<int>(DataTypeCode::JsonSpots) &&
        !PrepareSpot(line, fields, payload)) {
        Drop("a JSON spot that cannot be read back");
        return;
    }
    ExpandMqttTopic(MqttPublish, fields, m_topic);
    if (m_client.PendingBytes() + payload.size() > CWriteQueue::MaxPending) {
        if (m_client.IsUp() && !m_restartedThisLink) {
            m_restartedThisLink = true;
            TellOperator(*this,
                         "broker stopped reading: " + std::to_string(m_client.PendingBytes()) +
                             " bytes waiting, reconnecting");
            m_client.Restart();
        }
        Drop("more than " + std::to_string(CWriteQueue::MaxPending) + " bytes wait for the broker");
        return;
    }
    switch (m_client.Publish(m_topic, payload)) {
    case CMqttClient::Sent::Queued:
        ++m_published;
        break;
    case CMqttClient::Sent::NotConnected:
        Drop("not connected to the broker (QoS 0)");
        break;
    case CMqttClient::Sent::Failed:
        Drop("the client library refused it");
        break;
    }
}

void CMqttHandler::Drop(std::string_view reason) {
    m_drops.Count(reason, Clock().NowSeconds());
}

void CMqttHandler::Tick() {
    m_drops.Tick(Clock().NowSeconds());
}
