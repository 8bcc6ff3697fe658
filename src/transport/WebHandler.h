#pragma once

#include "transport/NetPort.h"
#include "transport/WebApi.h"
#include "transport/WebServer.h"
#include "transport/WebSpotStore.h"

#include <cstdint>
#include <string>
#include <string_view>

// The web port ("WEB"): an HTTP server on this machine for browsers, web
// loggers and monitoring. Its router (JSON Spots) writes every spot that
// passes its filter, merging and dupe table as one JSON object; the port
// keeps the newest in its store for the spot API and pushes each to the
// WebSocket streams at once.
//
// Connect listens ("Listening on 127.0.0.1:8073"); binding an address other
// than a loopback one needs a WebToken, and without one the port says so
// and stays disconnected. A failure is a line naming host:port and the
// reason.
//
// Collaborators: the server (sockets, limits, streams), the endpoints
// (CWebApi), the store.
class CWebHandler : public CNetPort {
  public:
    static constexpr std::uint16_t DefaultPort = 8073;
    static constexpr std::size_t MaxKeepCount = 100000;
    static constexpr int MaxKeepMinutes = 7 * 24 * 60;

    CWebHandler(IPortHost& host, IPortView& view);
    // Reads the common block, then "HostName", "PortNumber" and the
    // optional "WebToken", "WebPublicRead" and "WebKeep".
    CWebHandler(CSetupFile& setup, IPortHost& host, IPortView& view);
    ~CWebHandler() override;

    void Write(const char* data, int len) override;
    void SaveKindSettings(CSetupFile& setup) const override;
    int Callers() const override { return m_server.Streams(); }
    std::size_t QueuedBytes() const override { return m_server.QueuedBytes(); }

    std::string HostName = "127.0.0.1";
    std::uint16_t PortNumber = DefaultPort;
    // The port the server took (a setup's port 0 takes a free one).
    std::uint16_t LocalPort() const { return m_server.LocalPort(); }
    const CWebSpotStore& Store() const { return m_store; }
    CWebServer& Server() { return m_server; }

  protected:
    const PortKind& Kind() const override { return PortKinds::Of(PortKindCode::Web); }
    Fields KindFields() const override;
    void ApplyKindFields(const PortSetupValues& values) override;
    std::string StatusDetail() const override;

    void DoConnect() override;
    LinkEnd DoDisconnect() override;

  private:
    // "1000,60"; a text that is not two numbers keeps the setting, with a
    // line; numbers out of range are clamped, with a line.
    void SetKeep(std::string_view text);
    std::string KeepText() const;
    void Keep(std::string_view object);

    CWebSpotStore m_store;
    CWebApi::Access m_access;
    CWebApi m_api;
    CWebServer m_server;
};
