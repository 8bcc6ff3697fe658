#pragma once

#include "transport/HttpRequest.h"
#include "transport/HttpResponse.h"

#include <cstdint>
#include <string>
#include <string_view>

class CPortHandler;
class CWebSpotStore;
class IPortHost;

// The endpoints of the web port:
//
//   GET  /                          the page for people
//   GET  /spots[/<band>]            JSON array, newest first (limit, mode, since)
//   GET  /spot/<kHz>                the newest spot within 0.5 kHz, one object
//   GET  /ws                        WebSocket of the spots as they come (101)
//   GET  /ports                     every port's state and newest window lines
//   GET  /health                    {"status":"ok",...} while the loop runs
//   GET  /metrics                   Prometheus text, per port
//   POST /ports/<name>/connect      (or /disconnect) as the Setup menu does
//
// Access: with a token set, reading needs it unless reads are public, and
// a request that carries a wrong token gets 401 whatever it asks. The
// control endpoints need the token or a request from this machine (one
// that did not come through a proxy). Spot answers carry an ETag (the
// store's version) and "Cache-Control: no-cache", so a poller's repeated
// question is answered 304 without a body.
//
// Collaborators: the store (spots), the host (the ports of the setup and
// their commands), the page text.
class CWebApi {
  public:
    struct Access {
        std::string token;
        bool publicRead = false;
    };

    CWebApi(CWebSpotStore& store, IPortHost& host, const Access& access);

    void Answer(const HttpRequest& request, bool loopback, HttpResponse& response);

    static std::string HealthJson(const CWebSpotStore& store, std::int64_t uptimeSeconds);
    static std::string PortsJson(const IPortHost& host);
    static std::string Metrics(const IPortHost& host);

  private:
    // 401 unless the request may do what it asks.
    bool Allowed(const HttpRequest& request, bool loopback, bool control,
                 HttpResponse& response) const;
    void Spots(const HttpRequest& request, std::string_view band, HttpResponse& response);
    void OneSpot(const HttpRequest& request, std::string_view kHz, HttpResponse& response);
    void Command(std::string_view rest, HttpResponse& response);
    // 304 when the client holds this version.
    bool NotModified(const HttpRequest& request, HttpResponse& response) const;

    CWebSpotStore& m_store;
    IPortHost& m_host;
    const Access& m_access;
    std::int64_t m_started;
};

// The page at "/", HTML with its CSS and script inside.
std::string_view WebPageHtml();
