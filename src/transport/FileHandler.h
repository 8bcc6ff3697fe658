#pragma once

#include "port/PortHandler.h"
#include "transport/WriteQueue.h"

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
// Setup key: "FileName", a path; a relative one is taken from the current
// directory when the port connects.
class CFileHandler : public CPortHandler {
  public:
    CFileHandler(IPortHost& host, IPortView& view);
    CFileHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CFileHandler() override;

    bool SetupNewPort() override;
    void Write(const char* data, int len) override;
    void SavePortType(CSetupFile& setup) const override;
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;

    std::string FileName = "Default.txt";

  protected:
    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    // The kind's row: its "PortType", a new port's name and data type.
    static const PortKind& Kind();
    // The dialog offers "FALSE" and "TRUE"; anything but "FALSE" makes the
    // port a TNC stream port.
    static void MapTncChoice(PortSetupValues& values);
    void OnWriteError(int error);

    int m_fd = -1;
    CWriteQueue m_output;
};
