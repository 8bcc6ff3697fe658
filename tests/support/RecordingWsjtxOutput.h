#pragma once

#include "routing/WsjtxSpotMaker.h"
#include "spots/SpotFormatter.h"

#include <string>
#include <string_view>
#include <vector>

// Keeps every spot the WSJT-X spot maker hands out as its "DX de" line, and
// every line for the port's window.
class RecordingWsjtxOutput : public IWsjtxOutput {
  public:
    explicit RecordingWsjtxOutput(const IClock& clock) : formatter(options, clock) {}

    void WsjtxSpot(const SpotFields& spot) override {
        formatter.FormatDxDe(spot);
        spots.push_back(formatter.Text());
    }
    void WsjtxLine(std::string_view line) override { lines.emplace_back(line); }

    RouterOptions options;
    CSpotFormatter formatter;
    std::vector<std::string> spots;
    std::vector<std::string> lines;
};
