#include "setup/SetupReader.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(SetupReaderTest, Lines_EachLineEndCountsOnceAndALastLineWithoutEndIsKept) {
    EXPECT_EQ(SetupReader::Lines("PortType=CON\r\nPortName=A\rBaud=9600\n\nTrace=0"),
              (std::vector<std::string>{"PortType=CON", "PortName=A", "Baud=9600", "", "Trace=0"}));
    EXPECT_EQ(SetupReader::Lines("Trace=0\n"), (std::vector<std::string>{"Trace=0"}));
    EXPECT_TRUE(SetupReader::Lines("").empty());
}

TEST(SetupReaderTest, ReadFile_MissingFileSaysSo) {
    std::string bytes;
    std::string error;
    EXPECT_FALSE(SetupReader::ReadFile("/nonexistent-dir/x.ini", bytes, error));
    EXPECT_EQ(error, "Can't open setup file \"/nonexistent-dir/x.ini\": No such file or directory");
}

TEST(SetupReaderTest, ReadFile_RefusesWhatIsNotARegularFileWithoutWaiting) {
    ScratchFolder scratch;
    const std::string fifo = (scratch.Path() / "setup.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string bytes;
    std::string error;
    EXPECT_FALSE(SetupReader::ReadFile(fifo, bytes, error));
    EXPECT_EQ(error, "Setup file \"" + fifo + "\" is not a regular file");
    EXPECT_FALSE(SetupReader::ReadFile("/dev/null", bytes, error));
    EXPECT_EQ(error, "Setup file \"/dev/null\" is not a regular file");
    EXPECT_FALSE(SetupReader::ReadFile("/", bytes, error));
    EXPECT_EQ(error, "Setup file \"/\" is a directory");
}

} // namespace
