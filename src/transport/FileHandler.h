#pragma once

#include "port/PortHandler.h"

#include <string>

// The log file port ("FILE"): appends what is routed to it to a file. It
// never receives anything. Bytes are stored exactly as the router framed
// them (a CR LF line end stays CR LF) and every write reaches the file at
// once, so a crash or a reader never misses the last lines.
//
// Setup key: "FileName", a path; a relative one is taken from the current
// directory when the port connects.
class CFileHandler : public CPortHandler {
  public:
    CFileHandler(IPortHost& host, IPortView& view);
    CFileHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CFileHandler() override;

    bool SetupNewPort() override;
    void Connect() override;
    void Disconnect() override;
    void Write(const char* data, int len) override;
    void SavePortType(CSetupFile& setup) const override;
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;

    std::string FileName = "Default.txt";

  private:
    // The dialog offers "FALSE" and "TRUE"; anything but "FALSE" makes the
    // port a TNC stream port.
    static void MapTncChoice(PortSetupValues& values);

    int m_fd = -1;
};
