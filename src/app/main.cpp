#include "app/CommandLine.h"
#include "app/Program.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return Program::Run(argc, argv, CommandLine::Parse(args));
}
