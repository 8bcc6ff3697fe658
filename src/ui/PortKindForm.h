#pragma once

#include "ui/SetupField.h"

#include <string>
#include <utility>
#include <vector>

// What sets one port kind's setup dialog apart from the others: its title,
// the name and data type a new port starts with, and the controls of its
// transport group with their new-port texts. The transport fields use the
// setup file's key names, as PortSetupValues::kindFields carries them.
struct CPortKindForm {
    std::string kind; // "CON", "COM", "TEL", "CTE", "RXTEL", "FILE"
    int dialogId = 0;
    std::string title;
    std::string group; // empty for the console, which has no transport group
    std::string defaultName;
    std::string defaultDataType;
    std::vector<SetupField> transportFields;
    // How connected-edit mode locks the transport fields.
    bool lockByDisabling = false;

    // The form of a kind; the console's for an unknown kind.
    static const CPortKindForm& Of(const std::string& kind);
};
