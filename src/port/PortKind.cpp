#include "port/PortKind.h"

#include "platform/CommandIds.h"
#include "port/PortSetupValues.h"

#include <algorithm>
#include <array>

namespace {

using Code = PortKindCode;
using Type = DataTypeCode;

constexpr const char* ComKeys[] = {"ComPort", "BaudRate", "Bits",
                                   "Parity",  "StopBits", "FlowControl"};
constexpr const char* TelnetKeys[] = {"HostName", "PortNumber"};
constexpr const char* BroadcastKeys[] = {"MyIP", "BroadcastIP", "PortNumber"};
constexpr const char* FileKeys[] = {"FileName"};
constexpr const char* WsjtxKeys[] = {"HostName", "PortNumber"};
constexpr const char* MqttKeys[] = {"HostName", "PortNumber", "MqttClientId"};

// A new kind adds its code, its row here, its transport class to the
// transport factory and its page to the setup dialog.
constexpr std::array<PortKind, 9> Kinds = {{
    {Code::Console,
     "CON",
     3,
     "&Console Window",
     "Add console input/output.",
     CommandId::AddConsole,
     "CON",
     Type::Command,
     {}},
    {Code::Com, "COM", 3, "Com &Port", "Add a new COM port handler to the system.",
     CommandId::AddCom, "COM", Type::ClusterUser, ComKeys},
    {Code::Telnet, "TEL", 3, "&Network - Connect (telnet client)",
     "Add a new Telnet port to the system.", CommandId::AddTelnet, "TEL", Type::ClusterUser,
     TelnetKeys},
    {Code::Broadcast, "CTE", 3, "Network - &Broadcast", "Add a new CT Ethernet to the system.",
     CommandId::AddBroadcast, "CTE", Type::CTNetwork, BroadcastKeys},
    // Tried after "TEL", which it does not start with; the telnet server's
    // optional "MaxCallers" and "Backlog" follow its keys.
    {Code::RxTelnet, "RXTEL", 5, "R&X Network Connect (telnet server)",
     "Add a Telnet port that accepts outside connections.", CommandId::AddRxTelnet, "RXTEL",
     Type::ClusterUser, TelnetKeys},
    // A log file shows spots as the spot lines of a logger's user.
    {Code::LogFile, "FILE", 4, "&Log File", "Add log file\nAdd log file", CommandId::AddLogFile,
     "LOG", Type::CTUser, FileKeys},
    // The decodes of digital-mode receivers as spots; the optional
    // "WsjtxSpotAll", "WsjtxRepeat" and "WsjtxOffAir" follow its keys.
    {Code::Wsjtx, "WSJTX", 5, "&WSJT-X Decodes",
     "Add a port that spots the decodes of WSJT-X and similar receivers.", CommandId::AddWsjtx,
     "WSJTX", Type::Wsjtx, WsjtxKeys},
    // The spots routed to it for browsers, web loggers and monitoring; the
    // optional "WebToken", "WebPublicRead" and "WebKeep" follow its keys.
    {Code::Web, "WEB", 3, "Web &Server",
     "Add a web server that shows spots and port states to browsers and web loggers.",
     CommandId::AddWeb, "WEB", Type::JsonSpots, TelnetKeys},
    // A client of an MQTT broker: payloads in, spots out. The optional
    // "MqttUser", "MqttPassword", "MqttTls", "MqttSubscribe", "MqttPublish"
    // and "MqttQos" follow its keys.
    {Code::Mqtt, "MQTT", 4, "&MQTT Broker",
     "Add a port that subscribes and publishes spots on an MQTT broker.", CommandId::AddMqtt,
     "MQTT", Type::JsonSpots, MqttKeys},
}};

constexpr bool InCodeOrder() {
    for (std::size_t i = 0; i < Kinds.size(); ++i) {
        if (static_cast<std::size_t>(Kinds[i].code) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InCodeOrder(), "the rows stand at their code");

} // namespace

void PortKind::Describe(PortSetupValues& values) const {
    values.kind = portType;
}

void PortKind::DescribeNew(PortSetupValues& values) const {
    Describe(values);
    // A second port of a kind is offered a name of its own (LOG2), as the
    // kind's name is refused once taken.
    const std::vector<std::string>& taken = values.existingPortNames;
    values.name = newName;
    for (int n = 2; std::find(taken.begin(), taken.end(), values.name) != taken.end(); ++n) {
        values.name = newName + std::to_string(n);
    }
    values.dataType = DataTypes::Of(newDataType).name;
}

namespace PortKinds {

const PortKind& Of(PortKindCode code) {
    return Kinds[static_cast<std::size_t>(code)];
}

std::span<const PortKind> All() {
    return Kinds;
}

const PortKind* Named(std::string_view portType) {
    for (const PortKind& kind : Kinds) {
        if (portType == kind.portType) {
            return &kind;
        }
    }
    return nullptr;
}

const PortKind* OfPortType(std::string_view portType) {
    for (const PortKind& kind : Kinds) {
        if (portType.substr(0, kind.compared) == std::string_view(kind.portType, kind.compared)) {
            return &kind;
        }
    }
    return nullptr;
}

const PortKind* OfCommand(int id) {
    for (const PortKind& kind : Kinds) {
        if (kind.command == id) {
            return &kind;
        }
    }
    return nullptr;
}

} // namespace PortKinds
