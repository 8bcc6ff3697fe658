#pragma once

#include <string>
#include <vector>

// One control of a port setup dialog as its model holds it: what it shows,
// the limits that are checked on OK, and whether the user may change it.
// A disabled control is greyed out; a read-only edit shows its text but
// takes no typing.
struct SetupField {
    enum class Kind { Edit, List, Check };

    std::string key;   // "Name", "BufferSize", "ComPort", ...
    std::string label; // "Name", "Buffer Size", "Port", ...
    std::string tip;   // what the field does, in plain words
    std::string unit;  // "minutes", "bytes": what a number counts; empty for none
    int controlId = 0;
    Kind kind = Kind::Edit;
    bool transport = false; // in the kind's own group above "General Port Setup"

    std::vector<std::string> choices; // lists
    bool editable = false;            // a list that also takes a typed text
    int maxChars = 0;                 // edits; 0 for no limit
    bool integer = false;
    bool ranged = false;
    int low = 0;
    int high = 0;
    bool required = false; // an empty text is refused
    bool browse = false;   // a file name with a Browse... button
    bool secret = false;   // a password: shown masked

    std::string text;
    bool checked = false;
    bool enabled = true;
    bool readOnly = false;
};
