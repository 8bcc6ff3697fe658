#pragma once

#include "port/PortHandler.h"
#include "setup/NamedFile.h"
#include "transport/WriteQueue.h"

#include <cstdint>
#include <string>

struct PortKind;

// The log file port ("FILE"): appends what is routed to it to a file. It
// never receives anything. Bytes are stored exactly as the router framed
// them (a CR LF line end stays CR LF) and every write reaches the file at
// once, so a crash or a reader never misses the last lines.
//
// The file may be a named pipe read by another program. Neither opening nor
// writing ever waits for it: without a reader the port says "No reader yet"
// and tries again on the next connect; what a slow reader has not taken yet
// waits in a bounded queue; a reader that leaves disconnects the port.
//
// A full disk loses nothing while the queue has room: what the disk did not
// take (a line torn in the middle too) is held and written again every few
// seconds, and the port says once that it holds lines, once a minute how many
// it had to drop past the queue's cap, and once that it writes again.
//
// Setup key: "FileName", a path; a relative one is taken from the current
// directory when the port connects.
class CFileHandler : public CPortHandler {
  public:
    CFileHandler(IPortHost& host, IPortView& view);
    CFileHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CFileHandler() override;

    bool SetupNewPort() override;
    void Write(const char* data, int len) override;
    std::size_t QueuedBytes() const override { return m_output.Pending(); }
    void SavePortType(CSetupFile& setup) const override;
    bool TalksToPeer() const override { return false; }
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;
    // Opens the file by its name again (after a log rotation moved it away)
    // and writes on there, keeping what waits and the link. False, writing
    // on to the old file with a line that says why, when it cannot be
    // opened; false too while the port is not connected.
    bool Reopen();

    std::string FileName = "Default.txt";

    // The file a new port named portName is offered: an absolute path in
    // the user's data folder (~/.local/share/spotweaver/LOG.txt), so that it
    // does not depend on the folder the program was started in.
    static std::string NewPortFile(const std::string& portName);

    // How often a full disk is tried again, and how often lines dropped
    // meanwhile are counted out loud.
    static constexpr int RetryMs = 5000;
    static constexpr int DropReportSeconds = 60;

  protected:
    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    // The kind's row: its "PortType", a new port's name and data type.
    static const PortKind& Kind();
    // The dialog offers "FALSE" and "TRUE"; anything but "FALSE" makes the
    // port a TNC stream port.
    static void MapTncChoice(PortSetupValues& values);
    // Never waits; see DoConnect.
    NamedFile::Opened OpenFile() const;
    void OnWriteError(int error);
    void RetryFullDisk();
    void StopRetrying();
    std::string Subject() const { return "Log file " + FileName + ": "; }

    int m_fd = -1;
    CWriteQueue m_output;
    int m_retryTimer = 0;
    std::size_t m_dropped = 0;
    std::size_t m_droppedSaid = 0;
    std::int64_t m_dropSaidAt = 0;
    std::string m_fullReason;
};
