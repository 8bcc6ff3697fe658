#include "transport/PortFactory.h"

#include "port/PortKind.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"
#include "transport/ComHandler.h"
#include "transport/ConsoleHandler.h"
#include "transport/FileHandler.h"
#include "transport/NetBroadcastHandler.h"
#include "transport/NetConnectHandler.h"
#include "transport/RxNetHandler.h"
#include "transport/WsjtxHandler.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct KindRow {
    const char* kind;
    const char* kindKeys; // the section's transport lines
    std::function<bool(CPortHandler*)> isRightClass;
};

void PrintTo(const KindRow& row, std::ostream* os) {
    *os << row.kind;
}

template <class T> bool Is(CPortHandler* port) {
    return dynamic_cast<T*>(port) != nullptr;
}

const KindRow kKinds[] = {
    {"CON", "", Is<CConsoleHandler>},
    {"COM", "ComPort=COM2\nBaudRate=1200\nBits=8\nParity=0\nStopBits=0\nFlowControl=4\n",
     Is<CComHandler>},
    {"TEL", "HostName=dxc.example.net\nPortNumber=7300\n", Is<CNetConnectHandler>},
    {"CTE", "MyIP=127.0.0.1\nBroadcastIP=127.255.255.255\nPortNumber=9870\n",
     Is<CNetBroadcastHandler>},
    {"RXTEL", "HostName=127.0.0.1\nPortNumber=7301\n", Is<CRxNetHandler>},
    {"FILE", "FileName=spots.log\n", Is<CFileHandler>},
    {"WSJTX", "HostName=127.0.0.1\nPortNumber=2237\n", Is<CWsjtxHandler>},
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class PortFactoryTest : public ::testing::TestWithParam<KindRow> {
  protected:
    FakePortHost host;
    RecordingPortView view;
    CPortFactory factory;
};

TEST_P(PortFactoryTest, CreateFromSetup_BuildsTheKindAndReadsItsWholeSection) {
    const std::vector<std::string> lines =
        Lines(std::string("BufferSize=32000\nKeepAlive=0\nPortName=P1\nIsTNCPort=0\n"
                          "StreamSW=|\nPortStreamID=A\n") +
              GetParam().kindKeys + "InputType=0\n");
    CSetupFile setup(lines, host.ui);

    std::unique_ptr<CPortHandler> port =
        factory.CreateFromSetup(GetParam().kind, setup, host, view);

    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(GetParam().isRightClass(port.get()));
    EXPECT_EQ(port->PortName, "P1");
    EXPECT_TRUE(setup.IsNextKey("InputType"));
    EXPECT_TRUE(host.ui.messages.empty());

    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    port->SavePortType(writer);
    EXPECT_EQ(saved, std::string("PortType=") + GetParam().kind + "\n");

    // The kind's row names the keys its transport writes, in their order.
    std::string keys;
    CSetupFile keyWriter([&keys](std::string_view line) {
        keys += std::string(line.substr(0, line.find('='))) + " ";
    });
    port->SaveKindSettings(keyWriter);
    std::string rowKeys;
    for (const char* key : PortKinds::Named(GetParam().kind)->keys) {
        rowKeys += std::string(key) + " ";
    }
    EXPECT_EQ(keys, rowKeys);
}

TEST_P(PortFactoryTest, CreateNew_BuildsTheKind) {
    std::unique_ptr<CPortHandler> port = factory.CreateNew(GetParam().kind, host, view);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(GetParam().isRightClass(port.get()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PortFactoryTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.kind); });

TEST(PortFactoryUnknownTest, UnknownKindBuildsNothingAndReadsNothing) {
    FakePortHost host;
    RecordingPortView view;
    CPortFactory factory;
    const std::vector<std::string> lines = {"BufferSize=32000"};
    CSetupFile setup(lines, host.ui);
    EXPECT_EQ(factory.CreateFromSetup("TELNET", setup, host, view), nullptr);
    EXPECT_EQ(factory.CreateNew("", host, view), nullptr);
    EXPECT_TRUE(setup.IsNextKey("BufferSize"));
}

} // namespace
