#include "transport/WsjtxHandler.h"

#include "setup/SetupFile.h"
#include "support/FakePortHost.h"
#include "transport/PortFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct KeyRow {
    const char* name;
    std::string read;
    std::string saved;
};

class WsjtxHandlerSetupTest : public ::testing::TestWithParam<KeyRow> {};

TEST_P(WsjtxHandlerSetupTest, KindKeys_LoadAndSaveAsWritten) {
    FakePortHost host;
    RecordingPortView view;
    std::vector<std::string> lines = {"BufferSize=32000",   "KeepAlive=0",    "PortName=WSJTX",
                                      "IsTNCPort=0",        "StreamSW=|",     "PortStreamID=A",
                                      "HostName=224.0.0.1", "PortNumber=2238"};
    for (std::size_t start = 0, end; (end = GetParam().read.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(GetParam().read.substr(start, end - start));
    }
    lines.emplace_back("InputType=12");
    CSetupFile setup(lines, host.ui);
    CPortFactory factory;
    std::unique_ptr<CPortHandler> port = factory.CreateFromSetup("WSJTX", setup, host, view);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(setup.IsNextKey("InputType"));

    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    port->SaveKindSettings(writer);
    EXPECT_EQ(saved, "HostName=224.0.0.1\nPortNumber=2238\n" + GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WsjtxHandlerSetupTest,
    ::testing::Values(KeyRow{"WithoutOptionalKeys", "", ""},
                      KeyRow{"AllOptionalKeys", "WsjtxSpotAll=1\nWsjtxRepeat=5\nWsjtxOffAir=1\n",
                             "WsjtxSpotAll=1\nWsjtxRepeat=5\nWsjtxOffAir=1\n"},
                      KeyRow{"RepeatAlone", "WsjtxRepeat=0\n", "WsjtxRepeat=0\n"},
                      KeyRow{"DefaultsNotWritten",
                             "WsjtxSpotAll=0\nWsjtxRepeat=10\nWsjtxOffAir=0\n", ""}),
    [](const ::testing::TestParamInfo<KeyRow>& info) { return info.param.name; });

} // namespace
