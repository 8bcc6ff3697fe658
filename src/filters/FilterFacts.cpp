#include "filters/FilterFacts.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/ModeTable.h"

bool CFilterFacts::SameSpotter(const SpotFacts& facts, const SpotFields& spot) {
    return Same(BareSpotter(spot.Spotter), facts.spotter) && IsSkimmer(spot) == facts.skimmer;
}

void CFilterFacts::Renew(const SpotFields& spot, SpotFacts& facts, const CCountryFile* countries,
                         const SpotFields* origin, Eager eager) {
    facts.taken = true;
    facts.of = origin;
    if (origin == nullptr) {
        facts.fields = spot;
    }
    // A stripped "-#" leaves the same call the country file reads.
    facts.spotter = BareSpotter(spot.Spotter);
    facts.skimmer = IsSkimmer(spot);
    auto ends = [&facts](std::string_view call, std::size_t at) {
        facts.ends[at] = call.empty() ? 0 : static_cast<unsigned char>(call.front());
        facts.ends[at + 1] = call.empty() ? 0 : static_cast<unsigned char>(call.back());
    };
    ends(spot.DxCall, 0);
    ends(facts.spotter, 2);
    facts.band = SpotFacts::Unread;
    facts.kHz = -1.0;
    facts.mode = SpotFacts::Unread;
    facts.calls[0] = SpotFacts::Calls{};
    facts.calls[0].countryFile = countries;
    facts.calls[1].countryFile = nullptr;
    if (eager.band) {
        facts.band = CBandTable::BandOfText(spot.Frequency, facts.kHz);
    }
    if (countries != nullptr) {
        if (eager.dxPlaces) {
            facts.calls[0].dxPlaces = countries->PlacesOf(spot.DxCall);
        }
        if (eager.spotterPlaces[facts.skimmer ? 0 : 1] && spot.SpotterContinent < 0) {
            facts.calls[0].spotterPlaces = countries->PlacesOf(facts.spotter);
        }
    }
    facts.verdictsKept = 0;
}

int CFilterFacts::ReadBand() {
    m_facts.band = CBandTable::BandOfText(m_facts.Of().Frequency, m_facts.kHz);
    return m_facts.band;
}

int CFilterFacts::ReadMode() {
    Band();
    m_facts.mode = CModeTable::ModeOf(m_facts.Of().Comment, m_facts.kHz);
    return m_facts.mode;
}

SpotFacts::Calls& CFilterFacts::Calls() {
    const void* key = m_countries;
    for (SpotFacts::Calls& calls : m_facts.calls) {
        if (calls.countryFile == key) {
            return calls;
        }
    }
    SpotFacts::Calls* place = &m_facts.calls.back();
    for (SpotFacts::Calls& calls : m_facts.calls) {
        if (calls.countryFile == nullptr) {
            place = &calls;
            break;
        }
    }
    // A free place, or with more files than places the last one in turn.
    *place = SpotFacts::Calls{};
    place->countryFile = key;
    return *place;
}

int CFilterFacts::ReadDxContinent() {
    if (m_countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = Calls();
    if (calls.dxContinent == SpotFacts::Unread) {
        calls.dxContinent = m_countries->ContinentOf(m_facts.Of().DxCall);
    }
    return calls.dxContinent;
}

int CFilterFacts::ReadSpotterContinent() {
    if (m_facts.Of().SpotterContinent >= 0) {
        return m_facts.Of().SpotterContinent;
    }
    if (m_countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = Calls();
    if (calls.spotterContinent == SpotFacts::Unread) {
        calls.spotterContinent = m_countries->ContinentOf(m_facts.spotter);
    }
    return calls.spotterContinent;
}

int CFilterFacts::ReadSpotterDxcc() {
    if (m_facts.Of().SpotterDxcc > 0) {
        return m_facts.Of().SpotterDxcc;
    }
    if (m_countries == nullptr) {
        return 0;
    }
    SpotFacts::Calls& calls = Calls();
    if (calls.spotterDxcc == SpotFacts::Unread) {
        calls.spotterDxcc = m_countries->DxccOf(m_facts.spotter);
    }
    return calls.spotterDxcc;
}

std::uint8_t CFilterFacts::ReadDxPlaces() {
    if (m_countries == nullptr) {
        return CCountryFile::PlaceBit(CCountryFile::NoContinent);
    }
    SpotFacts::Calls& calls = Calls();
    if (calls.dxPlaces == 0) {
        calls.dxPlaces = m_countries->PlacesOf(m_facts.Of().DxCall);
    }
    return calls.dxPlaces;
}

std::uint8_t CFilterFacts::ReadSpotterPlaces() {
    const int reported = m_facts.Of().SpotterContinent;
    if (reported >= 0) {
        return reported < CCountryFile::ContinentCount ? CCountryFile::PlaceBit(reported)
                                                       : CCountryFile::AnyPlace;
    }
    if (m_countries == nullptr) {
        return CCountryFile::PlaceBit(CCountryFile::NoContinent);
    }
    SpotFacts::Calls& calls = Calls();
    if (calls.spotterPlaces == 0) {
        calls.spotterPlaces = m_countries->PlacesOf(m_facts.spotter);
    }
    return calls.spotterPlaces;
}
