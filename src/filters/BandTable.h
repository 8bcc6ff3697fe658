#pragma once

#include <string_view>

// The amateur bands by their outer edges in kHz, the same for every IARU
// region (the widest national allocation), and "other" for the rest.
//
//   band   low kHz   high kHz
//   160m   1800      2000
//
// Band numbers index the table; Other is the last number. Names are the
// setup file's ("160m", "70cm", "other").
class CBandTable {
  public:
    static constexpr int Count = 18;
    static constexpr int Other = Count - 1;

    // The band holding kHz (edges included), or Other.
    static int BandOf(double kHz);
    // The band named name (case-insensitive), or -1.
    static int Find(std::string_view name);
    static std::string_view Name(int band);
    // "160 m", "70 cm", "other".
    static std::string_view Spoken(int band);
    // The edges of a band (not Other), in kHz.
    static double LowEdge(int band);
    static double HighEdge(int band);

    // A spot frequency, "14025.0" in kHz; false when text is not a number.
    static bool ParseKhz(std::string_view text, double& kHz);
    // The band of a spot frequency, as BandOf of what ParseKhz reads, and
    // its kHz in kHz (-1 when text is no number).
    static int BandOfText(std::string_view text, double& kHz);
};
