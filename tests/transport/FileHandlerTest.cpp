#include "transport/FileHandler.h"

#include "EventSpin.h"
#include "SmallDisk.h"
#include "port/PortSetupValues.h"
#include "routing/Router.h"
#include "routing/RouterFactory.h"
#include "setup/SetupFile.h"
#include "support/FakePortHost.h"
#include "support/ScratchFolder.h"
#include "transport/WriteQueue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FileHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        log.PortName = "LOG";
        log.FileName = (dir / "spots.log").string();
        log.RingBuffer().SetSize(256);
    }
    static std::string Contents(const fs::path& path) { return FileBytes(path); }

    ScratchFolder scratch;
    const fs::path& dir = scratch.Path();
    FakePortHost host;
    RecordingPortView view;
    CFileHandler log{host, view};
};

TEST_F(FileHandlerTest, Connect_CreatesTheFileAndAppendsAfterReconnecting) {
    log.Connect();
    ASSERT_TRUE(log.IsConnected());
    log.SendText("first\r\n");
    log.Disconnect();
    log.Connect();
    log.SendText("second\r\n");
    log.Disconnect();

    EXPECT_EQ(Contents(log.FileName), "first\r\nsecond\r\n");
    EXPECT_EQ(view.Text(), "LOG: Port connected\nLOG: Port disconnected\n"
                           "LOG: Port connected\nLOG: Port disconnected\n");
    EXPECT_TRUE(log.IsStopped());
}

TEST_F(FileHandlerTest, Write_StoresTheBytesAsGivenAndAtOnce) {
    log.Connect();

    log.Write("DX de G4ABC:\r\nnext\n\0tail", 24);

    // Read while the port still holds the file open.
    EXPECT_EQ(Contents(log.FileName), std::string("DX de G4ABC:\r\nnext\n\0tail", 24));
}

TEST_F(FileHandlerTest, Spot_RoutedToACtUserLogWithCrLfEndsInOneCrLf) {
    log.SetRouter(RouterFactory::Create("CT User", log));
    log.Router()->CRLFOption = 3;
    FakePort& cluster = host.AddPort("TEL");
    cluster.SetRouter(RouterFactory::Create("Cluster User", cluster));
    cluster.Router()->AddRoute(log.Router());
    cluster.Connect();
    log.Connect();

    const std::string spot = "DX de G4ABC:     14025.0  DL1XYZ       CQ                  1230Z";
    cluster.OnReceive((spot + "\r\n").data(), static_cast<int>(spot.size()) + 2);
    host.RouteAll();

    const std::string file = Contents(log.FileName);
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
    EXPECT_EQ(file.find("\r\r"), std::string::npos);
    EXPECT_EQ(file.find('\n'), file.size() - 1);
    EXPECT_EQ(file.rfind("DX de G4ABC:", 0), 0u) << file;
}

TEST_F(FileHandlerTest, Write_WhileDisconnectedStoresNothingAndSaysNothing) {
    log.SendText("lost\r\n");
    EXPECT_FALSE(fs::exists(log.FileName));
    EXPECT_EQ(view.Text(), "");
}

TEST_F(FileHandlerTest, Connect_BadPathSaysFailedOpeningFileWithPathAndReason) {
    log.FileName = (dir / "missing" / "x.log").string();
    log.Connect();
    EXPECT_FALSE(log.IsConnected());
    EXPECT_EQ(view.Text(),
              "LOG: Failed Opening file " + log.FileName + ": No such file or directory\n");
    EXPECT_EQ(log.GetStatusText(), " LOG=D/MD ");
}

TEST_F(FileHandlerTest, Connect_DirectoryRefusedWithReason) {
    log.FileName = dir.string();
    log.Connect();
    EXPECT_FALSE(log.IsConnected());
    EXPECT_EQ(view.Text(), "LOG: Failed Opening file " + dir.string() + ": is a directory\n");
}

TEST_F(FileHandlerTest, Write_FullDeviceHoldsTheLinesAndSaysSoOnce) {
    log.FileName = "/dev/full";
    log.Connect();
    ASSERT_TRUE(log.IsConnected());
    view.ClearText();

    log.SendText("spot 1\r\n");
    log.SendText("spot 2\r\n");
    host.loop.Advance(3 * CFileHandler::RetryMs);

    EXPECT_EQ(view.Text(), "LOG: Log file /dev/full: disk full, holding 1 lines\n");
    EXPECT_EQ(host.ui.mainView.Text(), "LOG: Log file /dev/full: disk full, holding 1 lines\n");
    EXPECT_TRUE(log.IsConnected());
}

// A log file on a disk of its own that the test fills and frees.
class FileHandlerFullDiskTest : public FileHandlerTest {
  protected:
    void SetUp() override {
        FileHandlerTest::SetUp();
        if (!disk.Ok()) {
            GTEST_SKIP() << disk.Error();
        }
        log.FileName = (dir / "disk" / "spots.log").string();
        log.Connect();
        ASSERT_TRUE(log.IsConnected());
        view.ClearText();
    }
    std::string Said(const std::string& rest) {
        return "LOG: Log file " + log.FileName + ": " + rest + "\n";
    }

    SmallDisk disk{dir / "disk", 2 * 1024 * 1024};
};

TEST_F(FileHandlerFullDiskTest, LineTornByAFullDiskIsFinishedWhenRoomReturns) {
    log.SendText("first\r\n");
    disk.Fill();
    // Longer than what is left of the file's last page: part of it fits.
    const std::string spot = "DX de DL1ABC: " + std::string(5000, '.') + " seq 44373\r\n";
    log.SendText(spot);
    log.SendText("next\r\n");
    EXPECT_GT(Contents(log.FileName).size(), std::string("first\r\n").size());

    disk.Free();
    host.loop.Advance(CFileHandler::RetryMs);

    EXPECT_EQ(Contents(log.FileName), "first\r\n" + spot + "next\r\n");
    EXPECT_EQ(view.Text(),
              Said("disk full, holding 1 lines") + Said("writing again, 0 lines were dropped"));
}

TEST_F(FileHandlerFullDiskTest, PastTheQueuesCapLinesAreCountedOnceAMinute) {
    disk.Fill();
    const std::string line = std::string(62, 'x') + "\r\n";
    const std::size_t held = CWriteQueue::MaxPending / line.size();
    for (std::size_t i = 0; i < held + 100; ++i) {
        log.SendText(line);
    }
    host.clock.seconds += CFileHandler::DropReportSeconds;
    host.loop.Advance(CFileHandler::RetryMs);
    disk.Free();
    host.loop.Advance(CFileHandler::RetryMs);

    EXPECT_EQ(Contents(log.FileName).size(), held * line.size());
    EXPECT_EQ(view.Text(), Said("disk full, holding 1 lines") +
                               Said("disk full, 100 lines dropped so far") +
                               Said("writing again, 100 lines were dropped"));
}

TEST_F(FileHandlerTest, SetupNewPort_OffersTheLogDefaultsAndTakesTheFileName) {
    CFileHandler added{host, view};
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"FileName", "cluster.log"}};
        v.isTnc = "TRUE";
        v.addConsoleRoutes = false;
        return true;
    };

    ASSERT_TRUE(added.SetupNewPort());

    const PortSetupValues& shown = host.ui.portDialogsShown.at(0);
    EXPECT_EQ(shown.kind, "FILE");
    EXPECT_EQ(shown.name, "LOG");
    EXPECT_EQ(shown.dataType, "CT User");
    ASSERT_NE(shown.Field("FileName"), nullptr);
    EXPECT_EQ(*shown.Field("FileName"), CFileHandler::NewPortFile("LOG"));
    EXPECT_EQ(CFileHandler::NewPortFile("LOG2").front(), '/');
    EXPECT_EQ(fs::path(CFileHandler::NewPortFile("LOG2")).filename(), "LOG2.txt");
    EXPECT_EQ(fs::path(CFileHandler::NewPortFile("LOG2")).parent_path().filename(), "spotweaver");
    EXPECT_EQ(added.FileName, "cluster.log");
    EXPECT_EQ(added.PortName, "LOG");
    EXPECT_EQ(added.IsTNCPort, CPortHandler::TncSlave);
    EXPECT_EQ(added.Router()->InputType, "CT User");
}

TEST_F(FileHandlerTest, SetupNewPort_SecondAndThirdLogAreOfferedFreeNames) {
    host.AddPort("LOG");
    host.AddPort("LOG2");
    CFileHandler added{host, view};
    host.ui.portDialog = [](PortSetupValues&) { return false; };

    added.SetupNewPort();

    const PortSetupValues& shown = host.ui.portDialogsShown.at(0);
    EXPECT_EQ(shown.name, "LOG3");
    EXPECT_EQ(*shown.Field("FileName"), CFileHandler::NewPortFile("LOG3"));
}

TEST_F(FileHandlerTest, EditSetup_WhileConnectedKeepsTheFileInUse) {
    log.SetRouter(RouterFactory::Create("CT User", log));
    log.Connect();
    const std::string inUse = log.FileName;
    host.ui.portDialog = [](PortSetupValues& v) {
        v.kindFields = {{"FileName", "other.log"}};
        return true;
    };

    ASSERT_TRUE(log.EditSetup());
    EXPECT_EQ(log.FileName, inUse);

    log.Disconnect();
    ASSERT_TRUE(log.EditSetup());
    EXPECT_EQ(log.FileName, "other.log");
    ASSERT_EQ(host.ui.portDialogsShown.size(), 2u);
    EXPECT_EQ(host.ui.portDialogsShown[0].mode, PortSetupMode::ConnectedEdit);
    EXPECT_EQ(*host.ui.portDialogsShown[0].Field("FileName"), inUse);
    EXPECT_EQ(host.ui.portDialogsShown[1].mode, PortSetupMode::DisconnectedEdit);
}

TEST_F(FileHandlerTest, Save_WritesFileNameLastAndReadsItBack) {
    log.FileName = "spots.log";
    std::string saved;
    CSetupFile writer([&saved](std::string_view line) { saved += line; });
    log.Save(writer);

    EXPECT_EQ(saved.substr(0, 14), "PortType=FILE\n");
    EXPECT_EQ(saved.substr(saved.size() - 19), "FileName=spots.log\n");

    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = saved.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(saved.substr(start, end - start));
    }
    CSetupFile reader(lines, host.ui);
    reader.GetString("PortType");
    RecordingPortView loadedView;
    CFileHandler loaded{reader, host, loadedView};
    EXPECT_EQ(loaded.FileName, "spots.log");
    EXPECT_EQ(loaded.PortName, "LOG");
    EXPECT_TRUE(host.ui.messages.empty());
}

} // namespace

// The log file is a named pipe another program reads.
class FileHandlerPipeTest : public FileHandlerTest {
  protected:
    void SetUp() override {
        FileHandlerTest::SetUp();
        log.FileName = (dir / "spots.fifo").string();
        ASSERT_EQ(::mkfifo(log.FileName.c_str(), 0600), 0);
    }
    void TearDown() override {
        if (reader >= 0) {
            ::close(reader);
        }
        FileHandlerTest::TearDown();
    }
    void OpenReader() { reader = ::open(log.FileName.c_str(), O_RDONLY | O_NONBLOCK); }
    // Reads the pipe while the loop runs, until n bytes came or time is up.
    std::string ReadPipe(std::size_t n) {
        std::string got;
        SpinUntil([&] {
            char chunk[65536];
            ssize_t r = 0;
            while ((r = ::read(reader, chunk, sizeof chunk)) > 0) {
                got.append(chunk, static_cast<std::size_t>(r));
            }
            return got.size() >= n;
        });
        return got;
    }

    int reader = -1;
};

TEST_F(FileHandlerPipeTest, NoReaderYetThenAReaderArrivesAndGetsTheLine) {
    log.Connect();
    EXPECT_FALSE(log.IsConnected());
    EXPECT_EQ(view.Text(), "LOG: No reader yet\n");

    OpenReader();
    log.Connect();
    ASSERT_TRUE(log.IsConnected());
    log.SendText("DX de G4ABC:     14025.0  DL1XYZ       CQ  1230Z\r\n");

    EXPECT_EQ(ReadPipe(49), "DX de G4ABC:     14025.0  DL1XYZ       CQ  1230Z\r\n");
}

TEST_F(FileHandlerPipeTest, FullPipeWaitsAndDrainsLaterWithoutLosingAByte) {
    OpenReader();
    log.Connect();
    ASSERT_TRUE(log.IsConnected());
    std::string sent;
    // Four times what the pipe holds, written while nobody reads.
    for (int i = 0; sent.size() < 256 * 1024; ++i) {
        const std::string line = "line " + std::to_string(i) + "\r\n";
        log.SendText(line);
        sent += line;
    }

    EXPECT_EQ(ReadPipe(sent.size()), sent);
    EXPECT_EQ(view.Text(), "LOG: Port connected\n");
}

TEST_F(FileHandlerPipeTest, ReaderLeavingDisconnectsThePort) {
    OpenReader();
    log.Connect();
    ::close(reader);
    reader = -1;

    log.SendText("spot\r\n");

    EXPECT_FALSE(log.IsConnected());
    EXPECT_EQ(view.Text(), "LOG: Port connected\nLOG: File write error\nLOG: Port disconnected\n");
}
