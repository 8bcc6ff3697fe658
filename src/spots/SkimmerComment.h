#pragma once

#include "spots/SpotFields.h"

#include <string_view>

// What a skimmer says about a signal, read from its spot's comment. The
// comment itself stays as it is; these fields view it.
//
//   "CW    24 dB  22 WPM  CQ"        CW, 24 dB, 22 WPM, CQ
//   "RTTY  15 dB  45 BPS  CQ"        RTTY, 15 dB, 45 BPS, CQ
//   "FT8   -12 dB  CQ"               FT8, -12 dB, no speed, CQ
//   "CW 19 dB 18 WPM NCDXF B"        CW, 19 dB, 18 WPM, NCDXF beacon
//   "CW 7dB 25 WPM BEACON"           CW, 7 dB, 25 WPM, beacon
//
// The mode comes first and the strength right after it; speed and type may
// be missing, and words the reader does not know (a feed's "1234 Hz") are
// passed over.
enum class SkimmerSpotType : unsigned char { None, Cq, Beacon, NcdxfBeacon, Dx };

struct SkimmerComment {
    static constexpr int MinStrength = -40;
    static constexpr int MaxStrength = 99;
    static constexpr int MaxSpeed = 999;

    std::string_view Mode;      // "CW", "RTTY", "FT8", ...
    int Strength = 0;           // dB over the noise
    int Speed = 0;              // 0 when the comment gives none
    std::string_view SpeedUnit; // "WPM" or "BPS" when Speed is given
    SkimmerSpotType Type = SkimmerSpotType::None;
};

// False, leaving nothing of use in fields, when the comment has no mode, no
// strength, or a strength outside MinStrength..MaxStrength.
bool ParseSkimmerComment(std::string_view comment, SkimmerComment& fields);

// "CQ", "BEACON", "NCDXF B", "DX", or empty for None.
std::string_view SkimmerTypeText(SkimmerSpotType type);

// A spot from a skimmer: its spotter ends in "-#", or the strip option took
// that mark off.
bool IsSkimmerSpot(const SpotFields& spot);
