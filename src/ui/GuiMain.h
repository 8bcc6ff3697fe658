#pragma once

#include <string>
#include <vector>

// What the command line asks of the desktop program.
struct GuiStart {
    std::string setupFile; // empty: a new empty setup
    bool start = false;    // connect every port at once
    // Flags that only begin with START, left unused (each gets a line).
    std::vector<std::string> ignored;
};

// The desktop program: the main frame with the setup named on the command
// line (or a new empty one), connected at once when asked. Returns the
// program's exit code.
int RunGui(int argc, char** argv, const GuiStart& cl);
