#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CSetupFile;
struct PortSetupValues;

// The serial settings of a COM port, as the setup file stores them and as
// the setup dialog shows them.
//
//   ComPort=COM2
//   BaudRate=1200
//   Bits=8
//   Parity=0
//   StopBits=0
//   FlowControl=0
//
// Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space. Stop-bit codes: 0
// one, 1 one and a half, 2 two. FlowControl is a bit set: 1 DTR/DSR,
// 2 RTS/CTS, 4 XON/XOFF, 0 none. The dialog shows them as "NONE"/"ODD"/...,
// "1"/"1.5"/"2" and "NONE"/"DTRDSR"/"RTSCTS"/"XONXOFF". The defaults are
// those of a new port, whose device the handler picks from those present.
class CComSettings {
  public:
    // The most a port name holds; a device path (beginning with "/") is
    // kept whole.
    static constexpr std::size_t MaxPortName = 7;

    std::string ComPort = "COM2";
    int BaudRate = 1200;
    int Bits = 8;
    int Parity = 0;
    int StopBits = 0;
    int FlowControl = 0;

    // Reads and writes the six keys in their order.
    void Read(CSetupFile& setup);
    void Save(CSetupFile& setup) const;

    // The dialog's six texts, keyed "ComPort", "BaudRate", "Bits", "Parity",
    // "StopBits", "FlowControl".
    std::vector<std::pair<std::string, std::string>> DialogFields() const;
    // Takes the dialog's texts back. A text left as DialogFields showed it
    // keeps the code it stood for, so a code the dialog has no text of
    // (FlowControl 0 or 6) survives an edit that did not touch it.
    void ApplyDialogFields(const PortSetupValues& values);

    // The device to open: "COM1".."COM8" (any "COM" and a number from 1) are
    // /dev/ttyS0..; a path beginning with "/" stands as it is; any other name
    // is taken under /dev.
    std::string DevicePath() const;

    static std::string StoredPortName(std::string_view text);
    // Dialog text to code; an unknown text gives parity 0, stop bits 0 and
    // flow control 4.
    static int ParityCode(std::string_view text);
    static int StopBitsCode(std::string_view text);
    static int FlowControlCode(std::string_view text);
    // Code to dialog text.
    static std::string ParityText(int code);
    static std::string StopBitsText(int code);
    static std::string FlowControlText(int code);
};
