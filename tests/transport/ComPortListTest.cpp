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
    const fs::path& root = scratch.Path();
};

TEST_F(ComPortListTest, Choices_ComNamesThenDevicesInNumberOrderThenById) {
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyUSB1", "ttyUSB0", "ttyACM0", "ttySX",
                             "tty0", "ttyprintk", "serial/by-id/usb-Prolific_2303-if00-port0",
                             "serial/by-id/usb-FTDI_FT232R_A600ABCD-if00-port0"}) {
        Touch(name);
    }
    const std::string r = root.string();

    const std::vector<std::string> choices = ComPortList::Choices(r);

    EXPECT_EQ(choices, (std::vector<std::string>{
                           "COM1",
                           "COM2",
                           "COM3",
                           "COM4",
                           "COM5",
                           "COM6",
                           "COM7",
                           "COM8",
                           r + "/ttyS0",
                           r + "/ttyS2",
                           r + "/ttyS10",
                           r + "/ttyUSB0",
                           r + "/ttyUSB1",
                           r + "/ttyACM0",
                           r + "/serial/by-id/usb-FTDI_FT232R_A600ABCD-if00-port0",
                           r + "/serial/by-id/usb-Prolific_2303-if00-port0",
                       }));
}

TEST_F(ComPortListTest, Choices_NoDevicesGivesTheComNamesOnly) {
    const std::vector<std::string> choices = ComPortList::Choices((root / "absent").string());

    EXPECT_EQ(choices, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                                 "COM7", "COM8"}));
}

} // namespace
