#pragma once

#include "routing/DropTally.h"
#include "routing/PortCountryFile.h"
#include "routing/Router.h"
#include "routing/WsjtxRepeatTable.h"
#include "spots/PskReportReader.h"
#include "spots/SpotFormatter.h"

#include <cstdint>
#include <string>
#include <string_view>

// The router of a port that receives the PSK Reporter feed ("PSK
// Reporter"): each line is one report object, which becomes a skimmer's
// spot, routed as a cluster user's "DX de" line:
//
//   {"f":14074123,"md":"FT8","rp":-12,"t":1733695140,"sc":"JA1XYZ",
//    "sl":"PM95","rc":"W3OA","rl":"FN20","b":"20m"}
//   DX de W3OA-#:    14074.1  JA1XYZ       FT8 -12 dB PM95                2159Z
//
// The spot carries the receiver's locator ("rl"), its ADIF number ("ra")
// and the continent of that number in the port's country file (the
// filter's "CountryFile", else the program's default), so that filters
// place the spotter where it reported itself.
//
// A sender spotted on the same band within PskRepeat minutes (0: every
// report) is not spotted again. Repeats and refused reports are counted
// and told once a minute per reason. It takes nothing, so every line
// routed to it is refused.
class CPskReporterRouter : public CRouter {
  public:
    // A day: a sender kept unspotted longer would miss a whole contest.
    static constexpr int MaxRepeatMinutes = 1440;
    // Distinct senders on one band within the interval; the feed's busiest
    // ten minutes hold fewer.
    static constexpr std::size_t MaxRepeats = 100000;

    explicit CPskReporterRouter(CRouterPort& port);

    const CDropTally& Drops() const { return m_drops; }
    std::uint64_t SpotsMade() const { return m_spots; }

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    // The report's "DX de" line, or empty for a report that is not spotted.
    std::string_view TakeIn(std::string_view line) override;
    void AddReported(SpotFields& spot) const override;
    bool Answer(std::string_view line) override { return line.empty(); }
    void OnTick() override;

  private:
    // False when the sender was spotted on the band within the interval.
    bool IsNew(const PskReport& report, double kHz);
    // The continent of an ADIF number in the port's country file, read
    // again when the port names another; -1 when unknown.
    int ContinentOfDxcc(int dxcc);

    CPskReportReader m_reader;
    CSpotFormatter m_formatter;
    CWsjtxRepeatTable m_repeats{MaxRepeats};
    CDropTally m_drops;
    std::uint64_t m_spots = 0;
    std::string m_spotter;
    std::string m_frequency;
    std::string m_comment;
    std::string m_time;
    std::string m_key;
    std::string m_spotterGrid;
    int m_spotterDxcc = 0;
    int m_spotterContinent = -1;
    CPortCountryFile m_countries;
};
