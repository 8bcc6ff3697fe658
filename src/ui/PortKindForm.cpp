#include "ui/PortKindForm.h"

#include "port/PortKind.h"

namespace {

SetupField List(std::string key, std::string label, int id, std::vector<std::string> choices,
                std::string initial, std::string tip) {
    SetupField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.controlId = id;
    f.kind = SetupField::Kind::List;
    f.transport = true;
    f.choices = std::move(choices);
    f.text = std::move(initial);
    f.tip = std::move(tip);
    return f;
}

SetupField Edit(std::string key, std::string label, int id, std::string initial, std::string tip,
                int maxChars = 0) {
    SetupField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.controlId = id;
    f.transport = true;
    f.maxChars = maxChars;
    f.text = std::move(initial);
    f.tip = std::move(tip);
    return f;
}

// A password shows as dots; the setup keeps it as typed.
SetupField Secret(std::string key, std::string label, int id, std::string tip) {
    SetupField f = Edit(std::move(key), std::move(label), id, {}, std::move(tip));
    f.secret = true;
    return f;
}

SetupField Ranged(std::string key, std::string label, int id, std::string initial, int low,
                  int high, std::string tip, std::string unit = {}) {
    SetupField f = Edit(std::move(key), std::move(label), id, std::move(initial), std::move(tip));
    f.integer = true;
    f.ranged = true;
    f.low = low;
    f.high = high;
    f.unit = std::move(unit);
    return f;
}

// A TCP or UDP port number is stored in 16 bits; anything outside would
// silently become another port. Port 0 would be a random port, which cannot
// be told to a peer.
SetupField PortNumber(std::string initial, std::string tip) {
    return Ranged("PortNumber", "Port Number", 1014, std::move(initial), 1, 65535, std::move(tip));
}

// Host names and addresses (IPv4 or IPv6) hold at most 127 characters; an
// empty one names nothing to connect to or listen on.
constexpr int HostChars = 127;
SetupField Host(std::string key, std::string label, std::string initial, std::string tip) {
    const int id = key == "BroadcastIP" ? 1015 : 1013;
    SetupField f =
        Edit(std::move(key), std::move(label), id, std::move(initial), std::move(tip), HostChars);
    f.required = true;
    return f;
}

// A new network port's host until the user names one.
constexpr const char* DefaultHost = "127.0.0.1";

// The dialog is called as the Add New item that opens it.
std::string TitleOf(const PortKind& kind) {
    std::string title;
    for (const char* c = kind.menuItem; *c != '\0'; ++c) {
        if (*c != '&') {
            title += *c;
        }
    }
    return title + " Setup";
}

// The page of a kind. Without a default, the compiler names a kind that has
// no page.
CPortKindForm PageOf(const PortKind& kind) {
    switch (kind.code) {
    case PortKindCode::Console:
        return {.kind = &kind, .dialogId = 135, .title = TitleOf(kind), .fixedName = true};
    case PortKindCode::Com: {
        // The devices present are listed when the dialog opens; a typed
        // device path is taken too.
        SetupField comPort =
            List("ComPort", "Port", 1001, {}, "/dev/ttyUSB0",
                 "The serial device. A USB adapter is /dev/ttyUSB0 or /dev/ttyACM0, or by its "
                 "name under /dev/serial/by-id, which stays the same in any USB socket.");
        comPort.editable = true;
        return {
            .kind = &kind,
            .dialogId = 131,
            .title = TitleOf(kind),
            .group = "Com Port Setup",
            .transportFields =
                {comPort,
                 List("BaudRate", "Baud", 1003, {"1200", "2400", "4800", "9600", "19200"}, "1200",
                      "The line speed in bits per second; the device must use the same."),
                 List("Bits", "Bits", 1004, {"7", "8"}, "8", "Data bits in each character."),
                 List("Parity", "Parity", 1002, {"NONE", "EVEN", "ODD", "MARK", "SPACE"}, "NONE",
                      "The parity bit of each character; most devices use NONE."),
                 List("StopBits", "Stop Bits", 1005, {"1", "1.5", "2"}, "1",
                      "Stop bits after each character."),
                 List("FlowControl", "Flow Control", 1006, {"NONE", "XONXOFF", "RTSCTS", "DTRDSR"},
                      "NONE",
                      "How the device asks the program to wait: not at all (NONE), with "
                      "XON/XOFF characters, or with the RTS/CTS or DTR/DSR lines.")},
            .lockByDisabling = true};
    }
    case PortKindCode::Telnet:
        return {
            .kind = &kind,
            .dialogId = 137,
            .title = TitleOf(kind),
            .group = "Connection Setup",
            .transportFields = {
                Host("HostName", "Host Name or IP", DefaultHost,
                     "The cluster node or service to connect to: a name such as "
                     "dxc.example.org, or an address."),
                PortNumber("23", "The TCP port the node listens on (often 23, 7300 or 8000).")}};
    case PortKindCode::Broadcast:
        return {.kind = &kind,
                .dialogId = 139,
                .title = TitleOf(kind),
                .group = "Broadcast Setup",
                .transportFields = {
                    Host("MyIP", "Host Name or IP", "10.0.0.100",
                         "This computer's address on the network the loggers share; what it "
                         "broadcasts itself is not taken back in."),
                    PortNumber("9870", "The UDP port every station on the network uses "
                                       "(usually 9870)."),
                    Host("BroadcastIP", "Broadcast IP", "10.0.0.255",
                         "The network's broadcast address; 'ip addr' shows it after 'brd'.")}};
    case PortKindCode::RxTelnet:
        // Callers at once, and the lines kept for a caller who logs in later.
        return {.kind = &kind,
                .dialogId = 142,
                .title = TitleOf(kind),
                .group = "RX Setup",
                .transportFields = {
                    Host("HostName", "Host Name or IP", DefaultHost,
                         "The address of this computer to listen on: 0.0.0.0 for every IPv4 "
                         "network, :: for IPv4 and IPv6, 127.0.0.1 for this computer only."),
                    PortNumber("7300", "The TCP port loggers connect to; ports below 1024 need "
                                       "privileges."),
                    Ranged("MaxCallers", "Max Callers", 1031, "1", 1, 64,
                           "How many callers may be connected at once (1 to 64); with 1 a new "
                           "caller replaces the old one."),
                    Ranged("Backlog", "Backlog", 1032, "0", 0, 1000,
                           "How many recent lines a caller is sent when it logs in (0 to 1000).",
                           "lines"),
                    // The seconds a caller has for its login (0: no limit).
                    Ranged("LoginTimeout", "Login Timeout", 1033, "60", 0, 3600,
                           "Seconds a caller has to log in before it is closed; 0 for no limit.",
                           "seconds")}};
    case PortKindCode::LogFile: {
        SetupField file = Edit("FileName", "File Name", 1030, "Default.txt",
                               "The file every line routed to this port is added to.");
        file.required = true;
        file.browse = true;
        return {.kind = &kind,
                .dialogId = 146,
                .title = TitleOf(kind),
                .group = "File Setup",
                .transportFields = {file},
                .lockByDisabling = true,
                .tncChoices = {"FALSE", "TRUE"}};
    }
    case PortKindCode::Wsjtx:
        // The receivers' UDP server: an address of this machine or a
        // multicast group; the switches are 0 or 1.
        return {.kind = &kind,
                .dialogId = 148,
                .title = TitleOf(kind),
                .group = "UDP Server",
                .transportFields = {
                    Host("HostName", "Address or Group", DefaultHost,
                         "The UDP server address set in the decoder's Reporting settings: this "
                         "computer's address or a multicast group such as 224.0.0.1."),
                    PortNumber("2237", "The UDP server port set in the decoder (usually 2237)."),
                    Ranged("WsjtxSpotAll", "Spot All Callers (0/1)", 1034, "0", 0, 1,
                           "1 spots every decode that names a calling station, 0 only CQ calls."),
                    Ranged("WsjtxRepeat", "Repeat Minutes", 1035, "10", 0, 1440,
                           "A station spotted on the same band and mode within this many minutes "
                           "is not spotted again; 0 spots every decode.",
                           "minutes"),
                    Ranged("WsjtxOffAir", "Spot Off Air (0/1)", 1036, "0", 0, 1,
                           "1 also spots decodes played back from a recording and low-confidence "
                           "decodes.")}};
    case PortKindCode::Web:
        // The address to listen on (another than this machine's own needs
        // the token), reading open to all (0/1), and the spots kept.
        return {
            .kind = &kind,
            .dialogId = 149,
            .title = TitleOf(kind),
            .group = "HTTP Server",
            .transportFields = {
                Host("HostName", "Listen Address", DefaultHost,
                     "The address the web server listens on: 127.0.0.1 for this computer "
                     "only; any other address needs an access token."),
                PortNumber("8073", "The TCP port browsers and web loggers connect to."),
                Edit("WebToken", "Access Token", 1037, "",
                     "A secret that requests must carry; needed to listen on an address "
                     "other than this computer's own.",
                     64),
                Ranged("WebPublicRead", "Public Read (0/1)", 1038, "0", 0, 1,
                       "1 lets anyone read spots and status without the token; connecting "
                       "and disconnecting ports always needs it."),
                Edit("WebKeep", "Keep Spots,Minutes", 1039, "1000,60",
                     "How many spots the server keeps, and for how many minutes at most.", 16)}};
    case PortKindCode::Mqtt:
        // Several topic filters are separated by commas; the publish topic
        // takes {band}, {mode}, {dx}, {spotter}, {dxcc} and {cont}.
        return {
            .kind = &kind,
            .dialogId = 150,
            .title = TitleOf(kind),
            .group = "Broker",
            .transportFields = {
                Host("HostName", "Broker Host", DefaultHost,
                     "The MQTT broker's host name or address."),
                PortNumber("1883", "The broker's TCP port (1883, or 8883 with TLS)."),
                Edit("MqttClientId", "Client Id", 1040, "",
                     "The name this port gives the broker; with QoS 1 the broker keeps its "
                     "session under it.",
                     23),
                Edit("MqttUser", "User", 1041, "", "The user name, if the broker asks for one."),
                Secret("MqttPassword", "Password", 1042,
                       "The password, if the broker asks for one."),
                Edit("MqttTls", "TLS CA File", 1043, "",
                     "A CA certificate file to connect with TLS; empty for a plain link."),
                Edit("MqttSubscribe", "Subscribe", 1044, "",
                     "Topic filters to read spots from, separated by commas; empty reads "
                     "nothing."),
                Edit("MqttPublish", "Publish Topic", 1045, "spotweaver/spots/{band}/{mode}",
                     "The topic each spot is published to; {band}, {mode}, {dx}, {spotter}, "
                     "{dxcc} and {cont} are filled in."),
                Ranged("MqttQos", "QoS (0/1)", 1046, "0", 0, 1,
                       "0 sends each message once; 1 has the broker confirm it and keep it "
                       "for a session that comes back.")}};
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
