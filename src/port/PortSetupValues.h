#pragma once

#include <string>
#include <utility>
#include <vector>

enum class PortSetupMode { NewPort, ConnectedEdit, DisconnectedEdit };

// What a port setup dialog shows and returns: the General Port Setup values
// shared by every kind, and the transport fields of the kind as the texts the
// dialog shows ("ComPort"="COM2", "BaudRate"="1200", "Parity"="NONE", ...).
struct PortSetupValues {
    std::string kind; // the kind's "PortType" text (PortKinds)
    PortSetupMode mode = PortSetupMode::NewPort;
    std::vector<std::string> existingPortNames; // for the duplicate-name check

    std::string name;
    std::string isTnc = "FALSE"; // "FALSE", "MASTER", "SLAVE" (log file: "FALSE", "TRUE")
    std::string streamSw = "|";
    std::string streamId = "A";
    int bufferSize = 32000;
    int keepAlive = 0;
    std::string dataType;
    std::string myCall = "INET";
    std::string hops = "99";
    std::string antiLoopPrefix = " <";
    int dupes = 0;
    int crlf = 2;
    bool blockDashAt = false;
    bool stripAtPound = false;
    bool onlySkimmerCQ = false;
    bool nodeHandshake = false; // "Cluster Node" only
    int pskRepeat = 10;         // "PSK Reporter" only: minutes before a sender again
    bool addConsoleRoutes = true;
    // The spot filter: the country file (empty: the program's default) and
    // the rules as texts, in order.
    std::string countryFile;
    std::vector<std::string> filterRules;
    // Skimmer merging as its setup key's text, "10,0.5,2,3,hold"; empty: off.
    std::string skimmerMerge;
    // What became of the port's spots so far, for showing only.
    std::string spotCounts;

    std::vector<std::pair<std::string, std::string>> kindFields;

    const std::string* Field(const std::string& key) const {
        for (const auto& [k, v] : kindFields) {
            if (k == key) {
                return &v;
            }
        }
        return nullptr;
    }
};
