#pragma once

#include "ui/SetupField.h"

struct PortKind;

#include <string>
#include <utility>
#include <vector>

// The page of one port kind in the setup dialog: its title and the controls
// of its transport group with their new-port texts. The transport fields use
// the setup file's key names, as PortSetupValues::kindFields carries them.
// The name and data type a new port starts with are the kind's row.
struct CPortKindForm {
    const PortKind* kind = nullptr;
    int dialogId = 0;
    std::string title{};
    std::string group{}; // empty for the console, which has no transport group
    std::vector<SetupField> transportFields{};
    // How connected-edit mode locks the transport fields.
    bool lockByDisabling = false;
    // The console keeps the one name it has.
    bool fixedName = false;
    // "Is TNC": a log file is either no TNC port or a SLAVE one ("TRUE").
    std::vector<std::string> tncChoices = {"FALSE", "MASTER", "SLAVE"};

    // The form of a kind; the console's for an unknown kind.
    static const CPortKindForm& Of(const std::string& kind);
};
