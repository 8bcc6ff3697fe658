#pragma once

#include <string_view>

// The mode class of a spot: CW, DIGI (every data mode) or SSB (every voice
// mode). A mode word in the comment decides ("FT8 -12 dB", "CW 24 WPM CQ");
// without one the frequency's segment of the band plan does. The segments
// cover every band of CBandTable from edge to edge, both edges included, so
// a frequency has a mode exactly when it has a band; outside every band the
// mode is unknown (-1).
class CModeTable {
  public:
    static constexpr int Cw = 0;
    static constexpr int Digi = 1;
    static constexpr int Ssb = 2;
    static constexpr int Count = 3;
    static constexpr int Unknown = -1;

    static int ModeOf(std::string_view comment, double kHz);
    // The mode class of the first mode word of the comment, or Unknown.
    static int ModeOfComment(std::string_view comment);
    static int ModeOfSegment(double kHz);
    // The comment's first mode word as the table spells it ("FT8" for
    // "ft8 -12 dB"), or empty.
    static std::string_view ModeWordOf(std::string_view comment);

    // "CW", "DIGI", "SSB" (case-insensitive), or -1.
    static int Find(std::string_view name);
    static std::string_view Name(int mode);
    // "CW", "digital", "SSB".
    static std::string_view Spoken(int mode);
};
