#pragma once

#include <string>
#include <vector>

// The options every router shares; the setup keys carry the same names.
struct RouterOptions {
    std::string MyCall = "MYCALL";
    std::string AntiLoopPrefix = "  <";
    std::string HopsOut = "99";
    int CRLFOption = 3; // 0 none, 1 CR, 2 LF, 3 CR LF
    int BlockDashAtOption = 0;
    int StripAtPoundOption = 0;
    int OnlyPassSkimmerCQOption = 0;
    int NodeHandshake = 0; // "Cluster Node" only: 1 answers the link's init frames
    int PskRepeat = 10;    // "PSK Reporter" only: minutes before a sender is spotted again
};

// What the port setup dialog gives a router: the shared options and the
// size of the dupe table.
struct RouterSetup {
    RouterOptions options;
    int dupeLength = 0;
    // The spot filter: country file (empty: the program's default) and rules.
    std::string countryFile = {};
    std::vector<std::string> filterRules = {};
    // The skimmer merging key's text ("10,0.5,2,3,hold"); empty: no merging.
    std::string skimmerMerge = {};
};
