#pragma once

#include "routing/Router.h"

#include <string>

// Plain text between ports ("Direct"), and the multiplexing of the streams
// of a multi-stream TNC.
//
// The MASTER port (the TNC itself) and its SLAVE ports (one per stream) are
// all Direct and routed to each other both ways. A SLAVE's line goes to the
// TNC behind the stream switch and the SLAVE's stream identifier:
//
//   |Ahello<CR>
//
// and each SLAVE picks its own stream's text out of the TNC's lines, and
// connects or disconnects itself when the TNC reports its stream:
//
//   |A*** CONNECTED TO DL1XYZ      |A*** DISCONNECTED
//
// Received lines go to the routes whole (the stream prefix is kept).
class CDirectRouter : public CRouter {
  public:
    explicit CDirectRouter(CRouterPort& port);

  protected:
    // A Direct line of a TNC port goes by stream; every other non-empty
    // line passes as it is.
    void Convert(const Spot& in, const CRouterPort& source) override;
    bool SkipsTncPrefix() const override { return false; }

  private:
    // MASTER: a stream port's line goes to the TNC on that stream.
    void SendToStream(std::string_view line, const CRouterPort& source);
    // SLAVE: this stream's text of a TNC line, reports acted upon.
    void TakeFromStream(std::string_view line, const CRouterPort& source);
    // Collects this stream's text of a TNC line into m_streamText.
    void ExtractStreamText(std::string_view line, char streamSw);
    // Acts on the TNC's connect and disconnect reports; false for other text.
    bool HandleStreamReport(std::string_view text);

    std::string m_marker;
    std::string m_streamText;
    std::string m_upper;
};
