#pragma once

#include "spots/SpotFacts.h"
#include "spots/SpotFields.h"

#include <string_view>

class CCountryFile;

// The facts of one spot that the rules of one filter test, each worked out
// when a rule first asks: the band and mode from the frequency and comment,
// whether a skimmer spotted it, and the continents (and the spotter's DXCC
// entity) from the calls through the filter's country file. What one filter
// works out goes into a SpotFacts that the destinations of a line share (or
// one of the filter's own when the spot comes without), and each check
// takes it from there, so a fact is worked out once for all of them.
class CFilterFacts {
  public:
    // countries may be null when no rule of the filter needs a country file.
    CFilterFacts(const SpotFields& spot, SpotFacts& facts, const CCountryFile* countries)
        : m_spot(spot), m_facts(facts), m_countries(countries) {
        m_facts.used = true;
    }

    bool IsSkimmer() const {
        return (!m_spot.Spotter.empty() && m_spot.Spotter.back() == '#') ||
               m_spot.StrippedMark == '#';
    }
    // Each fact is taken from the shared facts when a port before worked it
    // out of the same field; the test is a few loads, cheaper than a copy
    // kept per filter.
    int Band() {
        return m_facts.frequencyRead && Same(m_facts.frequency, m_spot.Frequency) ? m_facts.band
                                                                                  : ReadBand();
    }
    int Mode() { return ReadMode(); }
    int DxContinent() {
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return m_countries != nullptr && calls.countryFile == m_countries && calls.dxRead &&
                       Same(calls.dx, m_spot.DxCall)
                   ? calls.dxContinent
                   : ReadDxContinent();
    }
    // What the source reported of the spotter when it did, else what its
    // call says.
    int SpotterContinent() {
        if (m_spot.SpotterContinent >= 0) {
            return m_spot.SpotterContinent;
        }
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return m_countries != nullptr && calls.countryFile == m_countries && calls.spotterRead &&
                       calls.spotterContinent != SpotFacts::Unread &&
                       Same(calls.spotter, BareSpotter(m_spot.Spotter))
                   ? calls.spotterContinent
                   : ReadSpotterContinent();
    }
    int SpotterDxcc() { return ReadSpotterDxcc(); }

    // The spotter without a skimmer's "-#" or a relay's "-@".
    static std::string_view BareSpotter(std::string_view spotter) {
        if (spotter.size() > 2 && spotter[spotter.size() - 2] == '-' &&
            (spotter.back() == '#' || spotter.back() == '@')) {
            spotter.remove_suffix(2);
        }
        return spotter;
    }
    // True when two spots' fields are the same views and values, so that
    // what holds for one holds for the other.
    static bool SameFields(const SpotFields& a, const SpotFields& b) {
        return Same(a.Spotter, b.Spotter) && Same(a.Frequency, b.Frequency) &&
               Same(a.DxCall, b.DxCall) && Same(a.Comment, b.Comment) &&
               Same(a.SpotterGrid, b.SpotterGrid) && a.StrippedMark == b.StrippedMark &&
               a.SpotterDxcc == b.SpotterDxcc && a.SpotterContinent == b.SpotterContinent;
    }
    // The same view: the same characters, not only equal ones.
    static bool Same(std::string_view a, std::string_view b) {
        return a.data() == b.data() && a.size() == b.size();
    }

  private:
    void ReadFrequency();
    int ReadBand();
    int ReadMode();
    int ReadDxContinent();
    int ReadSpotterContinent();
    int ReadSpotterDxcc();
    // The look-ups of the filter's country file, claimed on first use.
    SpotFacts::Calls& Calls();
    SpotFacts::Calls& ReadSpotter();

    const SpotFields& m_spot;
    SpotFacts& m_facts;
    const CCountryFile* m_countries;
    SpotFacts::Calls* m_calls = nullptr;
};
