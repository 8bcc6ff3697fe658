#pragma once

#include "spots/SpotFacts.h"
#include "spots/SpotFields.h"

#include <array>
#include <cstdint>
#include <string_view>

class CCountryFile;

// The facts of one spot that the rules of one filter test, each worked out
// when a rule first asks: the band and mode from the frequency and comment,
// whether a skimmer spotted it, and the continents (and the spotter's DXCC
// entity) from the calls through the filter's country file. They live in a
// SpotFacts that the destinations of a line share (or one of the filter's
// own when the spot comes without), so a fact is worked out once for all of
// them; Take makes sure that what it holds is of the filter's fields.
class CFilterFacts {
  public:
    // countries may be null when no rule of the filter needs a country file.
    // facts must have been taken for the spot the filter decides on.
    CFilterFacts(SpotFacts& facts, const CCountryFile* countries)
        : m_facts(facts), m_countries(countries) {}

    // Keeps the facts when they are of these fields (or fields that differ
    // only by a stripped spotter mark), else starts them anew from spot.
    // The test is a few loads, once per filter and spot; each fact then
    // needs no test of its own. origin: the fields of the spot being
    // routed when spot is known to be them after the port's spotter
    // options, else null; facts of the same origin need no test at all.
    // countries: the country file of the filter that takes them, for whose
    // look-ups the first place is kept.
    // eager: the facts the filter surely reads, worked out when the facts
    // are renewed rather than each on first use.
    struct Eager {
        bool band = false;
        bool dxPlaces = false;
        // By skimmer (yes, no).
        std::array<bool, 2> spotterPlaces{};
    };
    static void Take(const SpotFields& spot, SpotFacts& facts, const CCountryFile* countries,
                     const SpotFields* origin, Eager eager) {
        if (facts.of == nullptr ||
            ((origin == nullptr || facts.of != origin) && !Holds(facts, spot))) {
            Renew(spot, facts, countries, origin, eager);
        }
    }

    bool IsSkimmer() const { return m_facts.skimmer; }
    // The spotter without a skimmer's "-#" or a relay's "-@".
    std::string_view Spotter() const { return m_facts.spotter; }
    int Band() { return m_facts.band != SpotFacts::Unread ? m_facts.band : ReadBand(m_facts); }
    int Mode() { return m_facts.mode != SpotFacts::Unread ? m_facts.mode : ReadMode(m_facts); }
    int DxContinent() {
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return calls.countryFile == m_countries && calls.dxContinent != SpotFacts::Unread
                   ? calls.dxContinent
                   : ReadDxContinent(m_facts, m_countries);
    }
    // What the source reported of the spotter when it did, else what its
    // call says.
    int SpotterContinent() {
        if (m_facts.Of().SpotterContinent >= 0) {
            return m_facts.Of().SpotterContinent;
        }
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return calls.countryFile == m_countries && calls.spotterContinent != SpotFacts::Unread
                   ? calls.spotterContinent
                   : ReadSpotterContinent(m_facts, m_countries);
    }
    int SpotterDxcc() { return ReadSpotterDxcc(m_facts, m_countries); }
    // The continents the calls may have by their first characters alone
    // (CCountryFile::PlacesOf); the spotter's is the one the source
    // reported when it did.
    std::uint8_t DxPlaces() {
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return calls.countryFile == m_countries && calls.dxPlaces != 0
                   ? calls.dxPlaces
                   : ReadDxPlaces(m_facts, m_countries);
    }
    std::uint8_t SpotterPlaces() {
        const SpotFacts::Calls& calls = m_facts.calls[0];
        return calls.countryFile == m_countries && calls.spotterPlaces != 0
                   ? calls.spotterPlaces
                   : ReadSpotterPlaces(m_facts, m_countries);
    }

    // The spotter without a skimmer's "-#" or a relay's "-@".
    static std::string_view BareSpotter(std::string_view spotter) {
        if (spotter.size() > 2 && spotter[spotter.size() - 2] == '-' &&
            (spotter.back() == '#' || spotter.back() == '@')) {
            spotter.remove_suffix(2);
        }
        return spotter;
    }
    // The same view: the same characters, not only equal ones.
    static bool Same(std::string_view a, std::string_view b) {
        return a.data() == b.data() && a.size() == b.size();
    }

  private:
    // Whether the facts are of spot: the same views and values of what a
    // filter reads. The views compare by place, so facts of an earlier
    // line that held other text at the same place never count; the source
    // resets the facts for every line.
    static bool Holds(const SpotFacts& facts, const SpotFields& spot) {
        const SpotFields& of = facts.Of();
        return Same(of.Frequency, spot.Frequency) && Same(of.DxCall, spot.DxCall) &&
               Same(of.Comment, spot.Comment) && Same(of.SpotterGrid, spot.SpotterGrid) &&
               of.SpotterDxcc == spot.SpotterDxcc && of.SpotterContinent == spot.SpotterContinent &&
               ((Same(of.Spotter, spot.Spotter) && of.StrippedMark == spot.StrippedMark) ||
                SameSpotter(facts, spot));
    }
    // A spotter that differs only by a stripped mark.
    static bool SameSpotter(const SpotFacts& facts, const SpotFields& spot);
    static bool IsSkimmer(const SpotFields& spot) {
        return (!spot.Spotter.empty() && spot.Spotter.back() == '#') || spot.StrippedMark == '#';
    }
    [[gnu::noinline]] static void Renew(const SpotFields& spot, SpotFacts& facts,
                                        const CCountryFile* countries, const SpotFields* origin,
                                        Eager eager);

    // The facts worked out on first use; static, so that a filter's facts
    // stay in registers rather than be kept in memory for a call.
    static int ReadBand(SpotFacts& facts);
    static int ReadMode(SpotFacts& facts);
    static int ReadDxContinent(SpotFacts& facts, const CCountryFile* countries);
    static int ReadSpotterContinent(SpotFacts& facts, const CCountryFile* countries);
    static int ReadSpotterDxcc(SpotFacts& facts, const CCountryFile* countries);
    static std::uint8_t ReadDxPlaces(SpotFacts& facts, const CCountryFile* countries);
    static std::uint8_t ReadSpotterPlaces(SpotFacts& facts, const CCountryFile* countries);
    // The look-ups of the filter's country file, claimed on first use.
    static SpotFacts::Calls& Calls(SpotFacts& facts, const CCountryFile* countries);

    SpotFacts& m_facts;
    const CCountryFile* m_countries;
};
