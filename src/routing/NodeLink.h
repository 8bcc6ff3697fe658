#pragma once

#include <string>
#include <string_view>

// The node-to-node link protocol a "Cluster Node" port speaks by itself,
// driven by the lines the port takes in. It answers pings addressed to the
// port's own call and, with the handshake on, the partner's init frames.
// It sends and prints nothing itself: the router sends each answer through
// its own framing and routes the lines handled here nowhere else.
//
//   PC51^GB7SW^GB7TST^1^                     ping for us  -> PC51^GB7TST^GB7SW^0^
//   PC18^DXSpider Version: 1.57 pc9x^5300^   partner init -> PC20^
//   PC20^                                    partner done -> PC22^ (link up)
//   PC22^                                    partner done    (link up)
// A port that was called opens with its own init once the caller has
// logged in (the first line after the connect script has ended):
//   PC18^Spotweaver 4.22^5401^
// Each frame of the handshake is answered once per link; a frame with a
// missing, empty or overlong field gets no answer.
class CNodeLink {
  public:
    // What one taken line gives.
    struct Outcome {
        bool handled = false; // the line goes to no other port
        std::string answer;   // a frame to send, or empty
        std::string report;   // a line for the port window, or empty
    };

    void SetHandshake(bool on) { m_handshake = on; }
    // A link, or a new caller, begins: the handshake starts over.
    void Begin(bool called);
    Outcome Take(std::string_view line, std::string_view myCall, bool loggedIn);
    bool IsUp() const { return m_up; }
    // The handshake has begun on this link: the login is over.
    bool HasBegun() const { return m_initSent || m_initAnswered || m_doneAnswered; }

  private:
    Outcome TakePing(std::string_view line, std::string_view myCall) const;
    Outcome TakeHandshake(std::string_view line, bool loggedIn);
    void NotePartner(std::string_view call);
    // Marks the link up and says so, once per link.
    void Up(Outcome& out);

    bool m_handshake = false;
    bool m_called = false;
    bool m_initSent = false;
    bool m_initAnswered = false;
    bool m_doneAnswered = false;
    bool m_up = false;
    std::string m_partner;
};
