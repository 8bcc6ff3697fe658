#pragma once

#include <string>
#include <vector>

// The program's command line:
//
//   spotweaver [--headless | --check] [--save-as OUT.ini] [--follow] [setup.ini] [/START]
//
// "--" ends the options: every argument after it is a setup file name.
// The START flag is "START" after "/" or "-", in any letter case ("/start",
// "-Start"); "/STARTX" is not the flag. In the window such a near miss is
// ignored (the setup opens, nothing connects); with --headless or --check it
// is an error like any unknown option.
struct CommandLine {
    enum class Mode { Gui, Headless, Check, Help, Version, Error };

    Mode mode = Mode::Gui;
    std::string setupFile;
    std::string saveAs;
    bool start = false;
    bool follow = false; // headless: every port's view on standard error
    std::string error;   // for Mode::Error
    // Window mode: flags that only begin with START, left unused.
    std::vector<std::string> ignored;

    static CommandLine Parse(const std::vector<std::string>& args);
    static bool IsStartFlag(const std::string& arg);
    // "/STARTX", "-startup": longer than the START flag, beginning with it.
    static bool IsNearStartFlag(const std::string& arg);
    // "--help", "--version", "--headless", "--check", "--follow": options
    // that take no "=value".
    static bool IsFlagWithoutArgument(const std::string& option);
    static std::string HelpText();
};
