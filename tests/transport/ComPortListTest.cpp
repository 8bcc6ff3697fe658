#include "transport/ComPortList.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ComPortListTest : public ::testing::Test {
  protected:
    void Touch(const std::string& name) {
        fs::create_directories((root / name).parent_path());
        std::ofstream(root / name).put('\n');
    }

    ScratchFolder scratch;
    const fs::path root = scratch.Path() / "dev";
    const fs::path sys = scratch.Path() / "sys";
};

TEST_F(ComPortListTest, Choices_ByIdThenUsbInNumberOrderThenUartsThatAnswer) {
    for (const char* name :
         {"ttyS10", "ttyS2", "ttyS0", "ttyS1", "ttyUSB1", "ttyUSB0", "ttyACM0", "ttySX", "tty0",
          "ttyprintk", "serial/by-id/usb-Prolific_2303-if00-port0",
          "serial/by-id/usb-FTDI_FT232R_A600ABCD-if00-port0"}) {
        Touch(name);
    }
    // ttyS1 has no UART behind it (type 0), ttyS10 no sysfs entry at all.
    for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS2", "4"}}) {
        fs::create_directories(sys / name);
        std::ofstream(sys / name / "type") << type << '\n';
    }
    const std::string r = root.string();

    const std::vector<std::string> choices = ComPortList::Choices(r, sys.string());

    EXPECT_EQ(choices, (std::vector<std::string>{
                           r + "/serial/by-id/usb-FTDI_FT232R_A600ABCD-if00-port0",
                           r + "/serial/by-id/usb-Prolific_2303-if00-port0",
                           r + "/ttyUSB0",
                           r + "/ttyUSB1",
                           r + "/ttyACM0",
                           r + "/ttyS0",
                           r + "/ttyS2",
                       }));
    EXPECT_EQ(ComPortList::NewPortDevice(r, sys.string()), choices.front());
}

TEST_F(ComPortListTest, Choices_NoDevicesGivesNoneAndANewPortTheFirstUsbAdapter) {
    const std::string absent = (root / "absent").string();

    EXPECT_TRUE(ComPortList::Choices(absent, absent).empty());
    EXPECT_EQ(ComPortList::NewPortDevice(absent, absent), "/dev/ttyUSB0");
}

} // namespace
