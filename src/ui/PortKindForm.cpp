#include "ui/PortKindForm.h"

#include "port/PortKind.h"

namespace {

SetupField List(std::string key, std::string label, int id, std::vector<std::string> choices,
                std::string initial) {
    SetupField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.controlId = id;
    f.kind = SetupField::Kind::List;
    f.transport = true;
    f.choices = std::move(choices);
    f.text = std::move(initial);
    return f;
}

SetupField Edit(std::string key, std::string label, int id, std::string initial, int maxChars = 0) {
    SetupField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.controlId = id;
    f.transport = true;
    f.maxChars = maxChars;
    f.text = std::move(initial);
    return f;
}

SetupField Ranged(std::string key, std::string label, int id, std::string initial, int low,
                  int high) {
    SetupField f = Edit(std::move(key), std::move(label), id, std::move(initial));
    f.integer = true;
    f.ranged = true;
    f.low = low;
    f.high = high;
    return f;
}

// A TCP or UDP port number is stored in 16 bits; anything outside would
// silently become another port.
SetupField PortNumber(std::string initial) {
    return Ranged("PortNumber", "Port Number", 1014, std::move(initial), 0, 65535);
}

// Host names and addresses (IPv4 or IPv6) hold at most 127 characters.
constexpr int HostChars = 127;
// A new network port's host until the user names one.
constexpr const char* DefaultHost = "127.0.0.1";

// The page of a kind. Without a default, the compiler names a kind that has
// no page.
CPortKindForm PageOf(const PortKind& kind) {
    switch (kind.code) {
    case PortKindCode::Console:
        return {.kind = &kind, .dialogId = 135, .title = "Console Setup", .fixedName = true};
    case PortKindCode::Com: {
        // The serial port also takes a typed device path such as /dev/ttyUSB0.
        SetupField comPort =
            List("ComPort", "Port", 1001,
                 {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}, "COM2");
        comPort.editable = true;
        return {.kind = &kind,
                .dialogId = 131,
                .title = "Com Handler Setup",
                .group = "Com Port Setup",
                .transportFields = {comPort,
                                    List("BaudRate", "Baud", 1003,
                                         {"1200", "2400", "4800", "9600", "19200"}, "1200"),
                                    List("Bits", "Bits", 1004, {"7", "8"}, "8"),
                                    List("Parity", "Parity", 1002,
                                         {"NONE", "EVEN", "ODD", "MARK", "SPACE"}, "NONE"),
                                    List("StopBits", "Stop Bits", 1005, {"1", "1.5", "2"}, "1"),
                                    List("FlowControl", "Flow Control", 1006,
                                         {"XONXOFF", "RTSCTS", "DTRDSR"}, "XONXOFF")},
                .lockByDisabling = true};
    }
    case PortKindCode::Telnet:
        return {
            .kind = &kind,
            .dialogId = 137,
            .title = "Net Connection Setup",
            .group = "Connection Setup",
            .transportFields = {Edit("HostName", "Host Name or IP", 1013, DefaultHost, HostChars),
                                PortNumber("23")}};
    case PortKindCode::Broadcast:
        return {.kind = &kind,
                .dialogId = 139,
                .title = "Net Broadcast Setup",
                .group = "Broadcast Setup",
                .transportFields = {
                    Edit("MyIP", "Host Name or IP", 1013, "10.0.0.100", HostChars),
                    PortNumber("9870"),
                    Edit("BroadcastIP", "Broadcast IP", 1015, "10.0.0.255", HostChars)}};
    case PortKindCode::RxTelnet:
        // Callers at once, and the lines kept for a caller who logs in later.
        return {.kind = &kind,
                .dialogId = 142,
                .title = "RX Net Connection Setup",
                .group = "RX Setup",
                .transportFields = {
                    Edit("HostName", "Host Name or IP", 1013, DefaultHost, HostChars),
                    PortNumber("23"), Ranged("MaxCallers", "Max Callers", 1031, "1", 1, 64),
                    Ranged("Backlog", "Backlog", 1032, "0", 0, 1000),
                    // The seconds a caller has for its login (0: no limit).
                    Ranged("LoginTimeout", "Login Timeout", 1033, "60", 0, 3600)}};
    case PortKindCode::LogFile:
        return {.kind = &kind,
                .dialogId = 146,
                .title = "File Handler Setup",
                .group = "File Setup",
                .transportFields = {Edit("FileName", "File Name", 1030, "Default.txt")},
                .lockByDisabling = true,
                .tncChoices = {"FALSE", "TRUE"}};
    case PortKindCode::Wsjtx:
        // The receivers' UDP server: an address of this machine or a
        // multicast group; the switches are 0 or 1.
        return {
            .kind = &kind,
            .dialogId = 148,
            .title = "WSJT-X Setup",
            .group = "UDP Server",
            .transportFields = {Edit("HostName", "Address or Group", 1013, DefaultHost, HostChars),
                                PortNumber("2237"),
                                Ranged("WsjtxSpotAll", "Spot All Callers (0/1)", 1034, "0", 0, 1),
                                Ranged("WsjtxRepeat", "Repeat Minutes", 1035, "10", 0, 1440),
                                Ranged("WsjtxOffAir", "Spot Off Air (0/1)", 1036, "0", 0, 1)}};
    case PortKindCode::Mqtt:
        // Several topic filters are separated by commas; the publish topic
        // takes {band}, {mode}, {dx}, {spotter}, {dxcc} and {cont}.
        return {.kind = &kind,
                .dialogId = 149,
                .title = "MQTT Setup",
                .group = "Broker",
                .transportFields = {
                    Edit("HostName", "Broker Host", 1013, DefaultHost, HostChars),
                    PortNumber("1883"), Edit("MqttClientId", "Client Id", 1037, "", 23),
                    Edit("MqttUser", "User", 1038, ""), Edit("MqttPassword", "Password", 1039, ""),
                    Edit("MqttTls", "TLS CA File", 1040, ""),
                    Edit("MqttSubscribe", "Subscribe", 1041, ""),
                    Edit("MqttPublish", "Publish Topic", 1042, "spotweaver/spots/{band}/{mode}"),
                    Ranged("MqttQos", "QoS (0/1)", 1043, "0", 0, 1)}};
    }
    return {.kind = &kind};
}

} // namespace

const CPortKindForm& CPortKindForm::Of(const std::string& kind) {
    static const std::vector<CPortKindForm> pages = [] {
        std::vector<CPortKindForm> all;
        for (const PortKind& row : PortKinds::All()) {
            all.push_back(PageOf(row));
        }
        return all;
    }();
    const PortKind* row = PortKinds::Named(kind);
    return pages[row != nullptr ? static_cast<std::size_t>(row->code) : 0];
}
