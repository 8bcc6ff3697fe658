#pragma once

#include <cstddef>
#include <string>

class CComSettings;

// One open serial device: opened for this program alone, configured from a
// port's settings, its modem lines raised and lowered, closed. Non-blocking
// throughout. It writes no messages; the port turns its results into them.
class CComDevice {
  public:
    // WrongKind: the path names a directory, a pipe or a file (Refusal
    // says which), not a device.
    enum class OpenResult { Ok, OpenFailed, WrongKind, GetStateFailed, SetStateFailed };

    CComDevice() = default;
    ~CComDevice();
    CComDevice(const CComDevice&) = delete;
    CComDevice& operator=(const CComDevice&) = delete;

    // Opens path (not shared: another opener, root or not, makes it fail),
    // purges both queues and configures the line. On failure nothing stays
    // open.
    OpenResult Open(const std::string& path, const CComSettings& settings);
    // Raises DTR, and RTS too unless the driver handles RTS for RTS/CTS.
    void RaiseModemLines(bool rtsToo);
    // Lowers DTR, purges both queues and closes; nothing when not open.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    // Why the last Open failed: "is a directory", "is not a character
    // device", "in use by another port or program", or the system's reason
    // ("No such file or directory").
    const std::string& Refusal() const { return m_refusal; }
    int Fd() const { return m_fd; }

    // Bytes the driver holds for reading; -1 when it cannot say.
    int Queued() const;
    // read() on the device, retried when interrupted.
    long Read(char* buffer, std::size_t max);

  private:
    int m_fd = -1;
    std::string m_refusal;
};
