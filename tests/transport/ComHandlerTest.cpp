#include "transport/ComHandler.h"
#include "transport/ComPortList.h"

#include "EventSpin.h"
#include "NetTestHost.h"
#include "SetupText.h"
#include "platform/IPortView.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/SetupFile.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

// A pseudo-terminal: the port opens the slave path as its device, the test
// plays the TNC on the master side.
class PtyPair {
  public:
    PtyPair() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            slavePath = ::ptsname(master);
        }
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void CloseMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }

    // Everything the port has sent so far.
    std::string Drain() {
        std::string got;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) {
                return got;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Sends bytes to the port, running the loop while the terminal is full.
    bool Send(const std::string& bytes) {
        std::size_t sent = 0;
        return SpinUntil([&] {
            const ssize_t n = ::write(master, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            }
            return sent == bytes.size();
        });
    }

    int master = -1;
    std::string slavePath;
};

// A port window that keeps every piece written to it separately, so the
// size of each received chunk can be seen.
class PieceView : public IPortView {
  public:
    void AppendText(std::string_view text) override { pieces.emplace_back(text); }
    void SetTitleParts(const std::string& name, const std::string&) override { title = name; }
    std::string PortName() const override { return title; }
    void AttachInput(CPortHandler* port) override { inputPort = port; }
    void DetachInput() override { inputPort = nullptr; }
    WindowPlacement GetPlacement() const override { return {}; }
    void SetPlacement(const WindowPlacement&) override {}

    std::string Text() const {
        std::string all;
        for (const std::string& piece : pieces) {
            all += piece;
        }
        return all;
    }

    std::vector<std::string> pieces;
    std::string title;
    CPortHandler* inputPort = nullptr;
};

struct Line {
    int baudRate = 1200;
    int bits = 8;
    int parity = 0;
    int stopBits = 0;
    int flowControl = 4;
    int bufferSize = 32000;
};

// A port section as the document hands it over, after "PortType=COM".
std::vector<std::string> Section(const std::string& comPort, const Line& line,
                                 const std::string& script = "") {
    return SetupText::Lines(
        SetupText::Common("COM", line.bufferSize, script) + "ComPort=" + comPort +
        "\nBaudRate=" + std::to_string(line.baudRate) + "\nBits=" + std::to_string(line.bits) +
        "\nParity=" + std::to_string(line.parity) + "\nStopBits=" + std::to_string(line.stopBits) +
        "\nFlowControl=" + std::to_string(line.flowControl) + "\n");
}

// True when nobody else holds the device: closed by the port, lock released.
bool DeviceIsFree(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return locked;
}

class ComHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(pty.slavePath.empty()); }

    CComHandler& Open(const std::string& comPort, const Line& line = {},
                      const std::string& script = "") {
        sectionLines = Section(comPort, line, script);
        CSetupFile setup(sectionLines, host.ui);
        port = std::make_unique<CComHandler>(setup, host, view);
        host.ports = {port.get()};
        EXPECT_EQ(setup.ErrorCount(), 0);
        return *port;
    }

    CComHandler& OpenPty(const Line& line = {}, const std::string& script = "") {
        return Open(pty.slavePath, line, script);
    }

    PtyPair pty;
    NetTestHost host;
    PieceView view;
    std::vector<std::string> sectionLines;
    std::unique_ptr<CComHandler> port;
};

struct LineRow {
    const char* name;
    Line line;
    speed_t speed;
    bool twoStopBits;
    bool parodd;
    bool cmspar;
    bool rtsCts;
    bool xonXoff;
};

class ComHandlerLineTest : public ComHandlerTest, public ::testing::WithParamInterface<LineRow> {};

// A pseudo-terminal keeps the speed, stop bits, handshakes and the odd/stick
// parity flags it is given; it always reports 8 bits without parity, so
// those two are checked on the attributes themselves (ComTermiosTest).
TEST_P(ComHandlerLineTest, Connect_AppliesSettingsToTheDevice) {
    const LineRow& row = GetParam();
    const int probe = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    CComHandler& com = OpenPty(row.line);

    com.Connect();

    termios t{};
    ASSERT_EQ(::tcgetattr(probe, &t), 0);
    ::close(probe);
    EXPECT_TRUE(com.IsConnected());
    EXPECT_EQ(view.Text(), "COM: Port connected\n");
    EXPECT_EQ(cfgetispeed(&t), row.speed);
    EXPECT_EQ(cfgetospeed(&t), row.speed);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, row.twoStopBits);
    EXPECT_EQ((t.c_cflag & PARODD) != 0, row.parodd);
    EXPECT_EQ((t.c_cflag & CMSPAR) != 0, row.cmspar);
    EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, row.rtsCts);
    EXPECT_EQ((t.c_iflag & IXON) != 0, row.xonXoff);
    EXPECT_EQ((t.c_iflag & IXOFF) != 0, row.xonXoff);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ComHandlerLineTest,
    ::testing::Values(
        LineRow{"Defaults1200_8N1_XonXoff",
                {1200, 8, 0, 0, 4},
                B1200,
                false,
                false,
                false,
                false,
                true},
        LineRow{
            "Odd9600TwoStopBitsRtsCts", {9600, 8, 1, 2, 2}, B9600, true, true, false, true, false},
        LineRow{"Mark19200SevenBitsBothHandshakes",
                {19200, 7, 3, 0, 6},
                B19200,
                false,
                true,
                true,
                true,
                true},
        LineRow{"Space115200NoHandshake",
                {115200, 8, 4, 0, 0},
                B115200,
                false,
                false,
                true,
                false,
                false},
        LineRow{"Even230400", {230400, 8, 2, 2, 4}, B230400, true, false, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedRow {
    const char* name;
    Line line;
};

class ComHandlerRefusedTest : public ComHandlerTest,
                              public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(ComHandlerRefusedTest, Connect_SettingTheLineCannotTake_ErrorSettingStateAndClosed) {
    CComHandler& com = OpenPty(GetParam().line);

    com.Connect();

    EXPECT_FALSE(com.IsConnected());
    EXPECT_EQ(view.Text(), "COM: Error setting state " + pty.slavePath +
                               ": the line cannot take this baud rate, bits and stop bits\n");
    EXPECT_TRUE(DeviceIsFree(pty.slavePath));
    EXPECT_TRUE(com.IsStopped());
}

INSTANTIATE_TEST_SUITE_P(Refused, ComHandlerRefusedTest,
                         ::testing::Values(RefusedRow{"OneAndAHalfStopBits", {1200, 8, 0, 1, 4}},
                                           RefusedRow{"Baud1234", {1234, 8, 0, 0, 4}},
                                           RefusedRow{"NineBits", {1200, 9, 0, 0, 4}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComHandlerTest, Connect_NoSuchDevice_FailureCreatingDeviceFileNamesPathAndReason) {
    CComHandler& com = Open("/dev/no-such-serial-device");

    com.Connect();

    EXPECT_FALSE(com.IsConnected());
    EXPECT_EQ(view.Text(), "COM: Failure creating device file /dev/no-such-serial-device: No "
                           "such file or directory\n");
}

// Paths that name no serial device; the open never waits on them.
struct NotDeviceRow {
    const char* name;
    int kind; // S_IFREG, S_IFIFO, S_IFDIR
    const char* why;
};

class ComHandlerNotDeviceTest : public ComHandlerTest,
                                public ::testing::WithParamInterface<NotDeviceRow> {};

TEST_P(ComHandlerNotDeviceTest, Connect_RefusedWithReasonAndNothingHeld) {
    ScratchFolder scratch;
    std::string path = (scratch.Path() / "ttyS9").string();
    if (GetParam().kind == S_IFREG) {
        WriteFileBytes(path, "");
    } else if (GetParam().kind == S_IFIFO) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
        path = scratch.Path().string();
    }
    CComHandler& com = Open(path);

    com.Connect();

    EXPECT_FALSE(com.IsConnected());
    EXPECT_EQ(view.Text(),
              "COM: Failure creating device file " + path + ": " + GetParam().why + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ComHandlerNotDeviceTest,
    ::testing::Values(NotDeviceRow{"PlainFile", S_IFREG, "is not a character device"},
                      NotDeviceRow{"NamedPipe", S_IFIFO, "is not a character device"},
                      NotDeviceRow{"Directory", S_IFDIR, "is a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComHandlerTest, Connect_DeviceHeldByAnotherOpener_FailsThenSucceedsOnceFree) {
    const int other = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    CComHandler& com = OpenPty();

    com.Connect();
    EXPECT_FALSE(com.IsConnected());
    const std::string busy = "COM: Failure creating device file " + pty.slavePath +
                             ": in use by another port or program\n";
    EXPECT_EQ(view.Text(), busy);

    ::close(other);
    com.Connect();
    EXPECT_TRUE(com.IsConnected());
    EXPECT_EQ(view.Text(), busy + "COM: Port connected\n");
}

TEST_F(ComHandlerTest, Connect_SecondPortOnTheSameDevice_FailureCreatingDeviceFile) {
    CComHandler& first = OpenPty();
    first.Connect();
    PieceView otherView;
    const std::vector<std::string> lines = Section(pty.slavePath, Line{});
    CSetupFile setup(lines, host.ui);
    CComHandler second(setup, host, otherView);

    second.Connect();

    EXPECT_TRUE(first.IsConnected());
    EXPECT_FALSE(second.IsConnected());
    EXPECT_EQ(otherView.Text(), "COM: Failure creating device file " + pty.slavePath +
                                    ": in use by another port or program\n");
}

TEST_F(ComHandlerTest, Connect_StartsLinkAndAnswersEmptyPromptAtOnce) {
    CComHandler& com = OpenPty(Line{}, SetupText::Script({{"", "CALL\\M"}}, 0, 60));

    com.Connect();

    EXPECT_FALSE(com.IsStopped());
    EXPECT_FALSE(com.Script().ManualDisconnect());
    EXPECT_EQ(view.inputPort, &com);
    EXPECT_EQ(host.dataRequests, 1);
    EXPECT_EQ(view.Text(), "COM: Port connected\n\nCOM: Script Send > CALL\r\n");
    std::string got;
    EXPECT_TRUE(SpinUntil([&] {
        got += pty.Drain();
        return got.size() >= 5;
    }));
    EXPECT_EQ(got, "CALL\r");
}

TEST_F(ComHandlerTest, Connect_DtrDsrHandshake_ConnectsAndSaysSoOnce) {
    CComHandler& com = OpenPty(Line{1200, 8, 0, 0, 1});

    com.Connect();
    com.DisconnectManual();
    com.Connect();

    EXPECT_TRUE(com.IsConnected());
    EXPECT_EQ(view.Text(), "COM: DTR/DSR handshake is not available on this system; the line "
                           "runs without it\n"
                           "COM: Port connected\n"
                           "COM: Port disconnected\n"
                           "COM: Port connected\n");
}

TEST_F(ComHandlerTest, Receive_BurstLargerThanBuffer_ChunksWithinBufferAndNothingLost) {
    CComHandler& com = OpenPty(Line{1200, 8, 0, 0, 0, 64});
    com.SetRouter(RouterFactory::Create("Direct", com));
    com.Connect();
    view.pieces.clear();
    std::string burst;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "DX de W%03d: 14025.0 K1ABC", i);
        expected.emplace_back(line);
        burst += line;
        burst += '\n';
    }

    ASSERT_TRUE(pty.Send(burst));
    ASSERT_TRUE(SpinUntil([&] { return host.lines.size() >= expected.size(); }));

    EXPECT_EQ(host.lines, expected);
    EXPECT_EQ(view.Text(), burst);
    EXPECT_GT(view.pieces.size(), 1u);
    for (const std::string& piece : view.pieces) {
        EXPECT_LE(piece.size(), 63u);
    }
    EXPECT_TRUE(com.IsConnected());
}

TEST_F(ComHandlerTest, SendLine_ArrivesAtTheDeviceAsTyped) {
    CComHandler& com = OpenPty();
    com.Connect();

    com.SendLine("SH/DX 20\r\n");
    std::string got;
    ASSERT_TRUE(SpinUntil([&] {
        got += pty.Drain();
        return got.size() >= 10;
    }));

    EXPECT_EQ(got, "SH/DX 20\r\n");
}

TEST_F(ComHandlerTest, Write_BinaryBytes_ArriveUnchanged) {
    CComHandler& com = OpenPty(Line{1200, 8, 0, 0, 0});
    com.Connect();
    const char bytes[] = {'\x01', '\0', '\xfe', '\r', '\n', '\x7f'};

    com.Write(bytes, sizeof bytes);
    std::string got;
    ASSERT_TRUE(SpinUntil([&] {
        got += pty.Drain();
        return got.size() >= sizeof bytes;
    }));

    EXPECT_EQ(got, std::string(bytes, sizeof bytes));
}

TEST_F(ComHandlerTest, Write_MoreThanTheDeviceTakesAtOnce_FollowsInOrder) {
    CComHandler& com = OpenPty(Line{1200, 8, 0, 0, 0});
    com.Connect();
    std::string block;
    for (int i = 0; i < 200000; ++i) {
        block += static_cast<char>('A' + i % 26);
    }

    com.Write(block.data(), static_cast<int>(block.size()));
    com.Write("END\n", 4);
    std::string got;
    ASSERT_TRUE(SpinUntil([&] {
        got += pty.Drain();
        return got.size() >= block.size() + 4;
    }));

    EXPECT_EQ(got, block + "END\n");
    EXPECT_EQ(view.Text(), "COM: Port connected\n");
}

TEST_F(ComHandlerTest, Write_DeviceTakesNothingFor1000Ms_DroppedWithErrorLine) {
    CComHandler& com = OpenPty(Line{1200, 8, 0, 0, 0});
    com.Connect();
    const std::string block(512 * 1024, 'x');

    com.Write(block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(view.Text(), "COM: Port connected\n");
    ASSERT_TRUE(SpinUntil([&] { return view.Text().size() > 20; }, 4000));

    EXPECT_EQ(view.Text(), "COM: Port connected\n[COM: COM Error 110]\n");
    EXPECT_TRUE(com.IsConnected());
}

TEST_F(ComHandlerTest, DisconnectManual_WhileNothingArrives_ClosesAtOnceWithoutReconnect) {
    CComHandler& com = OpenPty();
    com.Connect();

    com.DisconnectManual();

    EXPECT_FALSE(com.IsConnected());
    EXPECT_TRUE(com.IsStopped());
    EXPECT_FALSE(com.IsReconnectWaiting());
    EXPECT_EQ(view.inputPort, nullptr);
    EXPECT_EQ(view.Text(), "COM: Port connected\nCOM: Port disconnected\n");
    EXPECT_TRUE(DeviceIsFree(pty.slavePath));
}

TEST_F(ComHandlerTest, DeviceGone_OtherEndCloses_PortDisconnectsAndWaitsToReconnect) {
    CComHandler& com = OpenPty();
    com.Connect();

    pty.CloseMaster();
    ASSERT_TRUE(SpinUntil([&] { return !com.IsConnected(); }));

    EXPECT_EQ(view.Text(), "COM: Port connected\nCOM: Port disconnected\n");
    EXPECT_TRUE(com.IsStopped());
    EXPECT_TRUE(com.IsReconnectWaiting());
    EXPECT_EQ(view.inputPort, nullptr);
}

TEST_F(ComHandlerTest, Setup_ReadsSerialKeysAndSavesThemInOrderWithPathWhole) {
    const std::string path = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600ABCD-if00-port0";
    CComHandler& com = Open(path, Line{9600, 7, 3, 2, 6});
    std::vector<std::string> written;
    CSetupFile writer([&](std::string_view line) { written.emplace_back(line); });

    com.Save(writer);

    EXPECT_EQ(com.Settings().ComPort, path);
    EXPECT_EQ(com.Settings().BaudRate, 9600);
    EXPECT_EQ(com.Settings().Bits, 7);
    EXPECT_EQ(com.Settings().Parity, 3);
    EXPECT_EQ(com.Settings().StopBits, 2);
    EXPECT_EQ(com.Settings().FlowControl, 6);
    ASSERT_GE(written.size(), 7u);
    EXPECT_EQ(written.front(), "PortType=COM\n");
    const std::vector<std::string> tail(written.end() - 6, written.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"ComPort=" + path + "\n", "BaudRate=9600\n", "Bits=7\n",
                                        "Parity=3\n", "StopBits=2\n", "FlowControl=6\n"}));
}

TEST_F(ComHandlerTest, SetupNewPort_OffersDefaultsAndTakesTheChosenTexts) {
    CComHandler com(host, view);
    host.ui.portDialog = [](PortSetupValues& v) {
        v.addConsoleRoutes = false;
        v.kindFields = {
            {"ComPort", "/dev/ttyUSB0"}, {"BaudRate", "19200"}, {"Bits", "7"},
            {"Parity", "SPACE"},         {"StopBits", "2"},     {"FlowControl", "RTSCTS"}};
        return true;
    };

    ASSERT_TRUE(com.SetupNewPort());

    ASSERT_EQ(host.ui.portDialogsShown.size(), 1u);
    const PortSetupValues& shown = host.ui.portDialogsShown[0];
    EXPECT_EQ(shown.kind, "COM");
    EXPECT_EQ(shown.mode, PortSetupMode::NewPort);
    EXPECT_EQ(shown.name, "COM");
    EXPECT_EQ(shown.dataType, "Cluster User");
    EXPECT_EQ(shown.kindFields, (std::vector<std::pair<std::string, std::string>>{
                                    {"ComPort", ComPortList::NewPortDevice()},
                                    {"BaudRate", "1200"},
                                    {"Bits", "8"},
                                    {"Parity", "NONE"},
                                    {"StopBits", "1"},
                                    {"FlowControl", "NONE"}}));
    EXPECT_EQ(com.PortName, "COM");
    EXPECT_EQ(com.Settings().ComPort, "/dev/ttyUSB0");
    EXPECT_EQ(com.Settings().BaudRate, 19200);
    EXPECT_EQ(com.Settings().Bits, 7);
    EXPECT_EQ(com.Settings().Parity, 4);
    EXPECT_EQ(com.Settings().StopBits, 2);
    EXPECT_EQ(com.Settings().FlowControl, 2);
}

TEST_F(ComHandlerTest, SetupNewPort_Cancel_ChangesNothing) {
    CComHandler com(host, view);
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"ComPort", "COM5"}};
        return false;
    };

    EXPECT_FALSE(com.SetupNewPort());

    EXPECT_EQ(com.Settings().ComPort, "COM2");
    EXPECT_EQ(com.PortName, "");
}

TEST_F(ComHandlerTest, EditSetup_Disconnected_ShowsTextsAndKeepsWhatWasNotTouched) {
    CComHandler& com = Open("COM3", Line{4800, 7, 3, 2, 6});
    host.ui.portDialog = [](PortSetupValues& v) {
        for (auto& [key, text] : v.kindFields) {
            if (key == "Parity") {
                text = "ODD";
            }
        }
        return true;
    };

    ASSERT_TRUE(com.EditSetup());

    ASSERT_EQ(host.ui.portDialogsShown.size(), 1u);
    EXPECT_EQ(host.ui.portDialogsShown[0].mode, PortSetupMode::DisconnectedEdit);
    EXPECT_EQ(host.ui.portDialogsShown[0].kindFields,
              (std::vector<std::pair<std::string, std::string>>{{"ComPort", "COM3"},
                                                                {"BaudRate", "4800"},
                                                                {"Bits", "7"},
                                                                {"Parity", "MARK"},
                                                                {"StopBits", "2"},
                                                                {"FlowControl", "RTSCTS"}}));
    EXPECT_EQ(com.Settings().Parity, 1);
    EXPECT_EQ(com.Settings().FlowControl, 6);
    EXPECT_EQ(com.Settings().StopBits, 2);
    EXPECT_EQ(com.Settings().BaudRate, 4800);
}

TEST_F(ComHandlerTest, EditSetup_Connected_SerialSettingsStayUntilReconnect) {
    CComHandler& com = OpenPty();
    com.Connect();
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"ComPort", "COM1"}, {"BaudRate", "9600"}, {"Bits", "7"},
                        {"Parity", "EVEN"},  {"StopBits", "2"},    {"FlowControl", "RTSCTS"}};
        return true;
    };

    ASSERT_TRUE(com.EditSetup());

    EXPECT_EQ(host.ui.portDialogsShown[0].mode, PortSetupMode::ConnectedEdit);
    EXPECT_TRUE(com.IsConnected());
    EXPECT_EQ(com.Settings().ComPort, pty.slavePath);
    EXPECT_EQ(com.Settings().BaudRate, 1200);
    EXPECT_EQ(com.Settings().Bits, 8);
    EXPECT_EQ(com.Settings().Parity, 0);
    EXPECT_EQ(com.Settings().StopBits, 0);
    EXPECT_EQ(com.Settings().FlowControl, 4);
}

} // namespace
