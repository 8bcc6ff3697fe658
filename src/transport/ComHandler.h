#pragma once

#include "port/PortHandler.h"
#include "transport/ComDevice.h"
#include "transport/ComSettings.h"
#include "transport/ComWriter.h"
#include "transport/ReadPump.h"

#include <QObject>

#include <string>
#include <vector>

class QSocketNotifier;
struct PortKind;

// The port on a serial line ("COM"): a TNC, a radio modem or a logging
// computer.
//
// Connect opens the device for this program alone and configures it;
// received bytes are read on the event-loop thread when the read notifier
// fires, in chunks no longer than the buffer size less one and never more
// than the ring buffer has room for (CInputRoom: reading pauses while the
// router has lines to take and goes on once it took them). Writes go through CComWriter and never
// block. A device that goes away ends the link like a disconnect, so the
// connect script's auto-reconnect can try again.
class CComHandler : public CPortHandler {
  public:
    CComHandler(IPortHost& host, IPortView& view);
    // The common block, then "ComPort", "BaudRate", "Bits", "Parity",
    // "StopBits", "FlowControl".
    CComHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CComHandler() override;

    bool SetupNewPort() override;
    void Write(const char* data, int len) override;
    void SavePortType(CSetupFile& setup) const override;
    void SaveKindSettings(CSetupFile& setup) const override;
    bool EditSetup() override;
    void OnInputTaken() override;

    const CComSettings& Settings() const { return m_settings; }

    // What the setup dialog's "Port" list offers.
    static std::vector<std::string> PortChoices();

  protected:
    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    // The kind's row: its "PortType", a new port's name and data type.
    static const PortKind& Kind();
    // Reads what the device holds, as far as the ring buffer has room.
    void ReadStep();
    // Reads and hands on one chunk of at most max bytes; false once reading
    // must stop (nothing more now, or the device is gone).
    bool ReadChunk(int max);
    void StopReading();
    void PrintComError(int code);
    // "Failure creating device file /dev/ttyUSB0: No such file or directory"
    std::string Failure(const std::string& words) const;

    CComSettings m_settings;
    CComDevice m_device;
    CComWriter m_writer;
    QObject m_context;
    QSocketNotifier* m_readNotifier = nullptr;
    std::vector<char> m_readBuffer;
    CReadPump m_pump;
    bool m_dtrDsrNoted = false;
};
