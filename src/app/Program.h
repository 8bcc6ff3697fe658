#pragma once

#include "app/CommandLine.h"

// Chooses the front end the command line asks for and runs it.
namespace Program {
int Run(int argc, char** argv, const CommandLine& commandLine);
}
