#pragma once

#include "port/PortHandler.h"
#include "port/PortKind.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The base of the three network ports (telnet client, telnet server, UDP
// broadcast).
//
// Responsibilities: the kind's "PortType" line, and the setup dialog of a new
// and of an existing port around the port base's shared steps: the kind's
// row for a new port's name and data type, its transport fields shown as texts,
// and taking those fields over only while the port is disconnected. It also
// owns the QObject that the kind's sockets and look-ups live on, so that
// none of their events reaches a destroyed port.
//
// Collaborators: the UI services (the dialog request), the kinds (their
// fields and defaults).
class CNetPort : public CPortHandler {
  public:
    using Fields = std::vector<std::pair<std::string, std::string>>;

    using CPortHandler::CPortHandler;

    bool SetupNewPort() override;
    bool EditSetup() override;
    void SavePortType(CSetupFile& setup) const override;

  protected:
    // The kind's row: its "PortType", a new port's name and data type.
    virtual const PortKind& Kind() const = 0;
    // The transport fields as the dialog shows them ({"PortNumber", "23"}).
    virtual Fields KindFields() const = 0;
    virtual void ApplyKindFields(const PortSetupValues& values) = 0;

    // A typed or stored port number, kept modulo 65536 as a 16-bit field.
    static std::uint16_t PortNumberOf(std::string_view text);
    static std::uint16_t PortNumberOf(int value) { return static_cast<std::uint16_t>(value); }
    static std::string FieldOf(const PortSetupValues& values, const std::string& key,
                               const std::string& fallback);

    QObject& Context() { return m_context; }

  private:
    QObject m_context;
};
