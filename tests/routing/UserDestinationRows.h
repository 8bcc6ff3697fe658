#pragma once

#include "RouterRig.h"

#include <vector>

namespace rig {

// The matrix of the three cluster user types as destinations; they differ
// only in the command that posts a spot.
inline std::vector<MatrixRow> UserDestinationRows(const std::string& spotPosted) {
    return {
        {"Command_Spot", "Command", TypedSpot, TypedSpot + "\r\n", ""},
        {"Command_Text", "Command", "sh/dx", "sh/dx\r\n", ""},
        {"Command_Empty", "Command", "", "\r\n", ""},
        {"Command_CrLed", "Command", "\rsh/dx", "\rsh/dx\r\n", ""},
        {"ClusterUser_Spot", "Cluster User", UserSpot, spotPosted, ""},
        {"ClusterUser_Text", "Cluster User", Talk, "", ""},
        {"ClusterUser_Empty", "Cluster User", "", "", ""},
        {"ClusterUser_CrLed", "Cluster User", "\r" + UserSpot, "", ""},
        {"SpiderUser_Spot", "Spider User", UserSpot, spotPosted, ""},
        {"SpiderUser_Text", "Spider User", Talk, "", ""},
        {"SpiderUser_Empty", "Spider User", "", "", ""},
        {"SpiderUser_CrLed", "Spider User", "\r" + UserSpot, "", ""},
        {"ClusseUser_Spot", "Clusse User", ClusseSpot, spotPosted, ""},
        {"ClusseUser_Text", "Clusse User", Talk, "", ""},
        {"ClusseUser_Empty", "Clusse User", "", "", ""},
        {"ClusseUser_CrLed", "Clusse User", "\r" + ClusseSpot, "", ""},
        {"MircUser_Spot", "MIRC User", IrcSpot, spotPosted, ""},
        {"MircUser_Text", "MIRC User", IrcTalk, "", ""},
        {"MircUser_Empty", "MIRC User", "", "", ""},
        {"MircUser_CrLed", "MIRC User", "\r" + IrcSpot, "", ""},
        {"ClusterNode_Spot", "Cluster Node", NodeSpot, spotPosted, ""},
        {"ClusterNode_Text", "Cluster Node", NodeFrame, "", ""},
        {"ClusterNode_Empty", "Cluster Node", "", "", ""},
        {"ClusterNode_CrLed", "Cluster Node", "\r" + NodeSpot, "", ""},
        {"Direct_Spot", "Direct", UserSpot, UserSpot + "\r\n", ""},
        {"Direct_Text", "Direct", "hello", "hello\r\n", ""},
        {"Direct_Empty", "Direct", "", "\r\n", ""},
        {"Direct_CrLed", "Direct", "\rhello", "\rhello\r\n", ""},
        {"PassThru_Spot", "PassThru", UserSpot + "\r\n", "", FromPassThruRefused},
        {"PassThru_Text", "PassThru", "\x01raw", "", FromPassThruRefused},
        {"PassThru_Empty", "PassThru", "", "", ""},
        {"PassThru_CrLed", "PassThru", "\rabc", "", ""},
        {"CTNetwork_Spot", "CT Network", "B0" + UserSpot, "", ""},
        {"CTNetwork_Text", "CT Network", "A1hello", "hello\r\n", ""},
        {"CTNetwork_Empty", "CT Network", "", "", ""},
        {"CTNetwork_CrLed", "CT Network", "\rA1hello", "", ""},
        {"CTUser_Spot", "CT User", TypedSpot, TypedSpot + "\r\n", ""},
        {"CTUser_Text", "CT User", "hello", "hello\r\n", ""},
        {"CTUser_Empty", "CT User", "", "", ""},
        {"CTUser_CrLed", "CT User", "\rhello", "", ""},
    };
}

} // namespace rig
