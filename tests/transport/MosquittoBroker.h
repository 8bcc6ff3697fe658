#pragma once

#include "support/ScratchFolder.h"

#include <QProcess>

#include <cstdint>
#include <memory>
#include <string>

// A Mosquitto broker of the test's own on a free loopback port, with its own
// configuration and data folder (persistence on, so a restart keeps the
// sessions), stopped when the object goes away. Available() is false when
// Debian's broker is not installed; the tests then skip with that reason.
class MosquittoBroker {
  public:
    static constexpr const char* Program = "/usr/sbin/mosquitto";
    static bool Available();

    MosquittoBroker();
    ~MosquittoBroker();

    // Only this user may connect (set before Start).
    void RequireUser(const std::string& user, const std::string& password);
    // Starts on the same port each time; true once it takes connections.
    bool Start();
    void Stop();
    // Stops and continues the broker process: a broker that stops reading.
    void Pause();
    void Resume();

    std::uint16_t Port() const { return m_port; }
    std::string Endpoint() const { return "127.0.0.1:" + std::to_string(m_port); }

  private:
    ScratchFolder m_folder;
    std::uint16_t m_port = 0;
    std::string m_passwordFile;
    std::unique_ptr<QProcess> m_process;
};
