#pragma once

#include "spots/SpotFields.h"
#include "text/JsonReader.h"

#include <string>
#include <string_view>

// Reads a spot object of the "JSON Spots" type back into fields:
//   {"spotter":"DL1ABC","spotted":"K1ABC","frequency":14025.2,
//    "message":"CW 24 dB","when":"2026-12-08T22:59:00Z","mode":"CW",
//    "band":"20m","origin":"a1b2c3","hops":1}
// "spotter", "spotted", "frequency" (kHz, a number) and "when" (ISO 8601
// UTC) are needed; "message" may be missing; the rest are extras that the
// transports ask for. Calls are read in capitals, as every spot line has
// them. A frequency written "14025.2" keeps that text, so a spot that goes
// out and comes back keeps every byte; 14025 or 1.4025e4 become "14025.0". The fields view the
// reader's own buffers until the next Read.
class CJsonSpotReader {
  public:
    // False, with the fields cleared, for text that is no such object or
    // no valid spot.
    bool Read(std::string_view object, SpotFields& spot);

    // Extras of the last object read; empty, 0 or -1 when absent.
    double Khz() const { return m_kHz; }
    std::string_view When() const { return m_when; }
    std::string_view Mode() const { return m_mode; }
    std::string_view Band() const { return m_band; }
    std::string_view Origin() const { return m_origin; }
    int Hops() const { return m_hops; }

  private:
    void ClearExtras();

    CJsonReader m_json;
    std::string m_spotter;
    std::string m_dxCall;
    std::string m_frequency;
    std::string m_time;
    double m_kHz = 0;
    std::string_view m_when;
    std::string_view m_mode;
    std::string_view m_band;
    std::string_view m_origin;
    int m_hops = -1;
};
