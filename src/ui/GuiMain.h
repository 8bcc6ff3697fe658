#pragma once

#include "app/CommandLine.h"

// The desktop program: the main frame with the setup named on the command
// line (or a new empty one), connected at once when START is given. Returns
// the program's exit code.
int RunGui(int argc, char** argv, const CommandLine& cl);
