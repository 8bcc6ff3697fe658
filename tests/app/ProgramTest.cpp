// Runs the built program with the options a person tries first: --help,
// --version and mistakes, and checks what it prints where, and its status.

#include "app/CommandLine.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1; // the exit status, -1 when it ended by a signal
    std::string out;
    std::string err;
};

// Runs the program to its end with no input; its output goes to stdoutPath
// (a file in a fresh folder when empty).
Outcome RunProgram(const std::vector<std::string>& args, const std::string& stdoutPath = "") {
    const ScratchFolder scratch;
    const fs::path& dir = scratch.Path();
    const std::string out = stdoutPath.empty() ? (dir / "stdout").string() : stdoutPath;
    const std::string err = (dir / "stderr").string();

    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    ::posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>(SPOTWEAVER_BINARY)};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    Outcome outcome;
    pid_t pid = -1;
    if (::posix_spawn(&pid, SPOTWEAVER_BINARY, &files, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::posix_spawn_file_actions_destroy(&files);
    outcome.out = stdoutPath.empty() ? FileBytes(out) : "";
    outcome.err = FileBytes(err);
    return outcome;
}

TEST(ProgramTest, Help_PrintsTheUsageOnStandardOutputAndExitsZero) {
    for (const char* option : {"--help", "-h"}) {
        const Outcome run = RunProgram({option, "--bogus"});
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.out, CommandLine::HelpText()) << option;
        EXPECT_EQ(run.out.rfind("Usage: spotweaver [OPTION]... [SETUP.ini] [/START]\n", 0), 0u);
        EXPECT_EQ(run.err, "") << option;
    }
}

TEST(ProgramTest, Version_PrintsNameAndVersionOnStandardOutputAndExitsZero) {
    const Outcome run = RunProgram({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "spotweaver " SPOTWEAVER_VERSION "\n");
    EXPECT_EQ(run.err, "");
}

TEST(ProgramTest, HelpThatCannotBeWrittenFailsWithTheReason) {
    const Outcome run = RunProgram({"--help"}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "spotweaver: write error: No space left on device\n");
}

struct UsageErrorRow {
    const char* name;
    std::vector<std::string> args;
    const char* firstLine;
};

void PrintTo(const UsageErrorRow& row, std::ostream* os) {
    *os << row.name;
}

class ProgramUsageErrorTest : public ::testing::TestWithParam<UsageErrorRow> {};

TEST_P(ProgramUsageErrorTest, SaysWhatIsWrongPointsToHelpAndExitsTwo) {
    const Outcome run = RunProgram(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(GetParam().firstLine) +
                           "\nTry 'spotweaver --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProgramUsageErrorTest,
    ::testing::Values(UsageErrorRow{"UnknownLongOption",
                                    {"--bogus"},
                                    "spotweaver: unrecognized option '--bogus'"},
                      UsageErrorRow{"UnknownSlashFlag",
                                    {"setup.ini", "/NOSPLASH"},
                                    "spotweaver: unrecognized option '/NOSPLASH'"},
                      UsageErrorRow{"FlagWithValue",
                                    {"--version=2"},
                                    "spotweaver: option '--version' doesn't allow an argument"},
                      UsageErrorRow{"SaveAsWithoutName",
                                    {"--check", "a.ini", "--save-as"},
                                    "spotweaver: option '--save-as' requires a file name"},
                      UsageErrorRow{"HeadlessWithoutSetup",
                                    {"--headless"},
                                    "spotweaver: --headless needs a setup file"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
