#include "app/CommandLine.h"

#include <cctype>

namespace {

// "/START" or "-start" at the front of arg, in any letter case.
bool BeginsWithStartFlag(const std::string& arg) {
    if (arg.size() < 6 || (arg[0] != '/' && arg[0] != '-')) {
        return false;
    }
    static const char word[] = "START";
    for (std::size_t i = 0; i < 5; ++i) {
        if (std::toupper(static_cast<unsigned char>(arg[i + 1])) != word[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CommandLine::IsStartFlag(const std::string& arg) {
    return arg.size() == 6 && BeginsWithStartFlag(arg);
}

bool CommandLine::IsNearStartFlag(const std::string& arg) {
    return arg.size() > 6 && BeginsWithStartFlag(arg);
}

bool CommandLine::IsFlagWithoutArgument(const std::string& option) {
    for (const char* flag : {"--help", "--version", "--headless", "--check", "--follow"}) {
        if (option == flag) {
            return true;
        }
    }
    return false;
}

CommandLine CommandLine::Parse(const std::vector<std::string>& args) {
    CommandLine cl;
    auto fail = [&cl](const std::string& text) {
        cl.mode = Mode::Error;
        cl.error = text;
        return cl;
    };
    // Takes the name, or says why not.
    auto addSetupFile = [&cl](const std::string& name) -> std::string {
        if (!cl.setupFile.empty()) {
            return "more than one setup file given ('" + cl.setupFile + "', '" + name + "')";
        }
        cl.setupFile = name;
        return {};
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded) {
            // After "--" a name that starts with "-" or "/" is a file.
            if (std::string error = addSetupFile(a); !error.empty()) {
                return fail(error);
            }
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (const std::string flag = a.substr(0, a.find('='));
            flag != a && IsFlagWithoutArgument(flag)) {
            return fail("option '" + flag + "' doesn't allow an argument");
        }
        if (a == "--help" || a == "-h") {
            cl.mode = Mode::Help;
            return cl;
        }
        if (a == "--version") {
            cl.mode = Mode::Version;
            return cl;
        }
        if (IsStartFlag(a)) {
            cl.start = true;
        } else if (IsNearStartFlag(a) && cl.mode == Mode::Gui) {
            // Known to be an error only once no --headless or --check follows.
            cl.ignored.push_back(a);
        } else if (a == "--headless") {
            if (cl.mode == Mode::Check) {
                return fail("--headless and --check cannot be combined");
            }
            cl.mode = Mode::Headless;
        } else if (a == "--check") {
            if (cl.mode == Mode::Headless) {
                return fail("--headless and --check cannot be combined");
            }
            cl.mode = Mode::Check;
        } else if (a == "--follow") {
            cl.follow = true;
        } else if (a == "--save-as" || a.rfind("--save-as=", 0) == 0) {
            if (a == "--save-as") {
                if (i + 1 >= args.size()) {
                    return fail("option '--save-as' requires a file name");
                }
                cl.saveAs = args[++i];
            } else {
                cl.saveAs = a.substr(10);
            }
            if (cl.saveAs.empty()) {
                return fail("option '--save-as' requires a file name");
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unrecognized option '" + a + "'");
        } else if (a.size() > 1 && a[0] == '/' && a.find('/', 1) == std::string::npos &&
                   a.find('.') == std::string::npos) {
            // "/X" flags of the old command line other than START are not
            // ours; a path like /home/op/setup.ini is a setup file.
            return fail("unrecognized option '" + a + "'");
        } else if (std::string error = addSetupFile(a); !error.empty()) {
            return fail(error);
        }
    }
    if (!cl.ignored.empty() && cl.mode != Mode::Gui) {
        return fail("unrecognized option '" + cl.ignored.front() + "'");
    }
    if (!cl.saveAs.empty() && cl.mode != Mode::Check) {
        return fail("--save-as needs --check");
    }
    if ((cl.mode == Mode::Headless || cl.mode == Mode::Check) && cl.setupFile.empty()) {
        return fail(std::string(cl.mode == Mode::Check ? "--check" : "--headless") +
                    " needs a setup file");
    }
    return cl;
}

std::string CommandLine::HelpText() {
    return "Usage: spotweaver [OPTION]... [SETUP.ini] [/START]\n"
           "Route DX cluster spots between the ports of SETUP.ini: serial lines, telnet\n"
           "links to cluster nodes, a telnet server, UDP broadcast to a contest-logger\n"
           "network, log files and the console.\n"
           "\n"
           "Without --headless or --check the desktop window opens, with SETUP.ini or an\n"
           "empty setup.\n"
           "\n"
           "      --headless        run SETUP.ini without a window: messages on standard\n"
           "                        error, the console port CON on standard input and\n"
           "                        output; SIGINT or SIGTERM disconnects every port and\n"
           "                        ends it\n"
           "      --follow          with --headless, copy every port's view to standard\n"
           "                        error\n"
           "      --check           load SETUP.ini without connecting anything, print what\n"
           "                        loading reports, exit 0 when it loaded without\n"
           "                        complaint, 3 when it loaded with parts dropped or\n"
           "                        clamped and 1 when it could not be loaded\n"
           "      --save-as=FILE    with --check, write the loaded setup to FILE\n"
           "  /START, -START        connect every port right after start-up\n"
           "  -h, --help            display this help and exit\n"
           "      --version         output version information and exit\n"
           "\n"
           "Examples:\n"
           "  spotweaver --check shack.ini            load a setup, connect nothing\n"
           "  spotweaver --headless shack.ini /START  run it with every port connected\n"
           "\n"
           "Exit status: 0 on success, 1 when a setup cannot be read or loaded, 2 on a\n"
           "usage error, 3 when --check loaded it with parts dropped or clamped.\n";
}
