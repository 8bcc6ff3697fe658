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
// one of the filter's own when the spot comes without); within one filter's
// checks each fact is read once and then kept here.
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
    int Band() { return m_band != SpotFacts::Unread ? m_band : m_band = ReadBand(); }
    int Mode() { return m_mode != SpotFacts::Unread ? m_mode : m_mode = ReadMode(); }
    int DxContinent() {
        return m_dxContinent != SpotFacts::Unread ? m_dxContinent
                                                  : m_dxContinent = ReadDxContinent();
    }
    // What the source reported of the spotter when it did, else what its
    // call says.
    int SpotterContinent() {
        return m_spotterContinent != SpotFacts::Unread
                   ? m_spotterContinent
                   : m_spotterContinent = ReadSpotterContinent();
    }
    int SpotterDxcc() {
        return m_spotterDxcc != SpotFacts::Unread ? m_spotterDxcc
                                                  : m_spotterDxcc = ReadSpotterDxcc();
    }

    // The spotter without a skimmer's "-#" or a relay's "-@".
    static std::string_view BareSpotter(std::string_view spotter);
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
    int m_band = SpotFacts::Unread;
    int m_mode = SpotFacts::Unread;
    int m_dxContinent = SpotFacts::Unread;
    int m_spotterContinent = SpotFacts::Unread;
    int m_spotterDxcc = SpotFacts::Unread;
};
