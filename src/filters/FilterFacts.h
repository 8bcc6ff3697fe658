#pragma once

#include "spots/SpotFacts.h"
#include "spots/SpotFields.h"

#include <string_view>

class CCountryFile;

// The facts of one spot that filter rules test, each worked out when a rule
// first asks: the band and mode from the frequency and comment, whether a
// skimmer spotted it, and the continents (and the spotter's DXCC entity)
// from the calls through the port's country file. They are kept in a
// SpotFacts that the destinations of one line share, or in one of the
// filter's own when the spot comes without.
class CFilterFacts {
  public:
    // countries may be null when no rule of the filter needs a country file.
    CFilterFacts(const SpotFields& spot, SpotFacts& facts, const CCountryFile* countries)
        : m_spot(spot), m_facts(facts), m_countries(countries) {}

    bool IsSkimmer() const {
        return (!m_spot.Spotter.empty() && m_spot.Spotter.back() == '#') ||
               m_spot.StrippedMark == '#';
    }
    int Band();
    int Mode();
    int DxContinent();
    // What the source reported of the spotter when it did, else what its
    // call says.
    int SpotterContinent();
    int SpotterDxcc();

    // The spotter without a skimmer's "-#" or a relay's "-@".
    static std::string_view BareSpotter(std::string_view spotter);

  private:
    void ReadFrequency();
    // The look-ups of the filter's country file, claimed on first use.
    SpotFacts::Calls& Calls();
    SpotFacts::Calls& ReadSpotter();

    const SpotFields& m_spot;
    SpotFacts& m_facts;
    const CCountryFile* m_countries;
    SpotFacts::Calls* m_calls = nullptr;
};
