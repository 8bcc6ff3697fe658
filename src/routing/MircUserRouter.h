#pragma once

#include "routing/Router.h"
#include "spots/SpotFormatter.h"

#include <string>

// The router of an IRC server connection whose channel carries DX spots
// ("MIRC User").
//
// As a source it hands every line, reduced to 7-bit text, to its routes and
// records the channel spots in its own dupe table. As a destination it posts
// spots from node ports into the channel and direct-style text as a plain
// message, both to the target held in MyCall; everything else is refused.
//
//   privmsg #CQDX :<03>1,15 K1ABC        14025.0 DL1XYZ        cq cq    1234
//   privmsg #CQDX :hello
class CMircUserRouter : public CRouter {
  public:
    explicit CMircUserRouter(CRouterPort& port);

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    void SendSpot(const SpotFields& spot, const CRouterPort& source) override;
    std::string_view TakeIn(std::string_view line) override;

  private:
    // "privmsg " + target + lead + text, framed and sent.
    void SendMessage(std::string_view lead, std::string_view text, const CRouterPort& source);

    CSpotFormatter m_formatter;
    std::string m_received;
    std::string m_message;
};
