#pragma once

#include "platform/IClock.h"
#include "spots/RouterOptions.h"
#include "spots/SpotFields.h"

#include <string>
#include <string_view>

// Builds the outgoing forms of a spot in its own buffer (Text()), emptied by
// every call. A formatter returns false when the spot must not be sent; the
// ones that forward to a node or cluster refuse a comment that already
// carries this station's loop mark, and otherwise append the mark.
//
// FormatPC11 (node frame, today's UTC date):
//   PC11^14025.0^DL1XYZ^7-Dec-2026^1234Z^cq cq  <MYCALL^K1ABC^MYCALL^H99^~
// FormatClusseCommand:   DX/K1ABC 14025.0 DL1XYZ cq cq  <MYCALL
// FormatDxCommand:       DX 14025.0 DL1XYZ cq cq  <MYCALL
// FormatDxDe (frequency ends at 23, call at 26, comment at 39, time at 70):
//   DX de K1ABC:     14025.0  DL1XYZ       cq cq                          1234Z
// FormatIrcSpot (frequency ends at 19, call at 21, comment at 34, time at 62):
//   K1ABC        14025.0 DL1XYZ       cq cq                       1234
// FormatSolarFrame (from ":SolarMonitor!... PRIVMSG #CQDX :SFI=150 A=5 K=1"):
//   AR19^1^SolarMonitor^SOLAR^SFI=150 A=5 K=1^SOLAR.LST^MYCALL^0^K^MA^H99^~
//
// The options are read at every call, so later changes take effect.
class CSpotFormatter {
  public:
    CSpotFormatter(const RouterOptions& options, const IClock& clock);

    bool FormatPC11(const SpotFields& spot);
    // The PC11 frame appended to out, for a caller that frames it in its own
    // buffer; out stays as it was when the spot must not be sent.
    bool AppendPC11(const SpotFields& spot, std::string& out);
    bool FormatClusseCommand(const SpotFields& spot);
    bool FormatDxCommand(const SpotFields& spot);
    bool FormatDxDe(const SpotFields& spot);
    bool FormatIrcSpot(const SpotFields& spot);
    bool FormatSolarFrame(std::string_view ircLine);

    const std::string& Text() const { return m_spot; }

  private:
    // A comment as it is sent: the part kept, then the loop mark's prefix
    // and this station's call (both empty when no mark is added).
    struct MarkedComment {
        std::string_view kept;
        std::string_view prefix;
        std::string_view call;
    };
    // The comment with the loop mark applied (a blank when that leaves it
    // empty); false when the comment already carries the mark.
    bool MarkComment(std::string_view comment, MarkedComment& marked) const;
    // Appends the comment with the loop mark applied (a blank when that
    // leaves it empty); false, with out cut back to start, when the comment
    // already carries the mark.
    bool AppendMarkedComment(std::string& out, std::size_t start, std::string_view comment);
    // True unless the time already ends in a "Z".
    static bool NeedsZ(std::string_view time);
    // Appends the time and a "Z" unless the time already has one.
    static void AppendTimeZ(std::string& out, std::string_view time);
    // Today's UTC date: "7-Dec-2026".
    std::string_view DateText();
    // HopsOut as written into frames: at most 2 characters.
    std::string_view Hops() const;

    const RouterOptions& m_options;
    const IClock& m_clock;
    std::string m_spot;
    CivilDate m_date;       // the date m_dateText shows
    std::string m_dateText; // "7-Dec-2026"
};
