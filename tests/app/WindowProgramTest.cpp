// The desktop program (offscreen) started as a person or a session manager
// would: a mistyped start flag, and SIGTERM while a message box waits.

#include "ChildProgram.h"
#include "SetupDamage.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

using namespace std::chrono_literals;

namespace {

constexpr auto Bound = 20s;

ChildProgram::Environment Offscreen(const ScratchFolder& dir) {
    return {{"QT_QPA_PLATFORM", "offscreen"},
            {"XDG_CONFIG_HOME", (dir.Path() / "config").string()}};
}

bool ErrorsSay(ChildProgram& program, const std::string& text) {
    return WaitUntil([&] { return program.Errors().find(text) != std::string::npos; }, Bound);
}

TEST(WindowProgramTest, MistypedStartFlag_OpensTheSetupConnectsNothingAndSaysSo) {
    ScratchFolder dir;
    WriteFileBytes(dir.Path() / "setup.ini", SetupDamage::ManyPorts(1, 1));
    ChildProgram program(dir.Path(), {"setup.ini", "/STARTX"}, Offscreen(dir));
    EXPECT_TRUE(
        ErrorsSay(program, "spotweaver: '/STARTX' ignored: only /START connects the ports\n"))
        << program.How() << "\n"
        << program.Errors();
    EXPECT_TRUE(program.Running());
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.WaitForEnd(Bound));
    EXPECT_EQ(program.How(), "exit 0") << program.Errors();
    // Connecting the log-file port would have created its file.
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "p1.log"));
}

TEST(WindowProgramTest, TermWhileAMessageBoxWaits_EndsWithStatusZero) {
    ScratchFolder dir;
    // Port section 33 is past the limit: the loader says so in a message box.
    WriteFileBytes(dir.Path() / "setup.ini", SetupDamage::ManyPorts(33, 33));
    ChildProgram program(dir.Path(), {"setup.ini", "/START"}, Offscreen(dir));
    // Time to load up to the box; the program prints nothing meanwhile.
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(program.Running()) << program.How() << "\n" << program.Errors();
    program.Signal(SIGTERM);
    EXPECT_TRUE(program.WaitForEnd(Bound));
    EXPECT_EQ(program.How(), "exit 0") << program.Errors();
}

} // namespace
