#include "app/Program.h"

#include <cstdio>

int Program::Run(int /*argc*/, char** /*argv*/, const CommandLine& cl) {
    switch (cl.mode) {
    case CommandLine::Mode::Help:
        std::fputs(CommandLine::HelpText().c_str(), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::printf("spotweaver %s\n", SPOTWEAVER_VERSION);
        return 0;
    case CommandLine::Mode::Error:
        std::fprintf(stderr, "spotweaver: %s\nTry 'spotweaver --help' for more information.\n",
                     cl.error.c_str());
        return 2;
    default:
        break;
    }
    std::fputs("spotweaver: this front end is not built yet\n", stderr);
    return 1;
}
