#include "filters/FilterFacts.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/ModeTable.h"

bool CFilterFacts::SameSpotter(const SpotFacts& facts, const SpotFields& spot) {
    return Same(BareSpotter(spot.Spotter), facts.spotter) && IsSkimmer(spot) == facts.skimmer;
}

void CFilterFacts::Renew(const SpotFields& spot, SpotFacts& facts, const CCountryFile* countries,
                         const SpotFields* origin, Eager eager) {
    facts.of = origin;
    if (origin == nullptr) {
        facts.fields = spot;
        facts.of = &facts.fields;
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
    facts.mode = SpotFacts::Unread;
    facts.calls[0] = SpotFacts::Calls{};
    facts.calls[0].countryFile = countries;
    facts.calls[1].countryFile = nullptr;
    if (eager.band) {
        facts.band = CBandTable::BandOfText(spot.Frequency, facts.kHz);
    } else {
        facts.band = SpotFacts::Unread;
        facts.kHz = -1.0;
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

int CFilterFacts::ReadBand(SpotFacts& facts) {
    facts.band = CBandTable::BandOfText(facts.Of().Frequency, facts.kHz);
    return facts.band;
}

int CFilterFacts::ReadMode(SpotFacts& facts) {
    if (facts.band == SpotFacts::Unread) {
        ReadBand(facts);
    }
    facts.mode = CModeTable::ModeOf(facts.Of().Comment, facts.kHz);
    return facts.mode;
}

SpotFacts::Calls& CFilterFacts::Calls(SpotFacts& facts, const CCountryFile* countries) {
    const void* key = countries;
    for (SpotFacts::Calls& calls : facts.calls) {
        if (calls.countryFile == key) {
            return calls;
        }
    }
    SpotFacts::Calls* place = &facts.calls.back();
    for (SpotFacts::Calls& calls : facts.calls) {
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

int CFilterFacts::ReadDxContinent(SpotFacts& facts, const CCountryFile* countries) {
    if (countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = Calls(facts, countries);
    if (calls.dxContinent == SpotFacts::Unread) {
        calls.dxContinent = countries->ContinentOf(facts.Of().DxCall);
    }
    return calls.dxContinent;
}

int CFilterFacts::ReadSpotterContinent(SpotFacts& facts, const CCountryFile* countries) {
    if (facts.Of().SpotterContinent >= 0) {
        return facts.Of().SpotterContinent;
    }
    if (countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = Calls(facts, countries);
    if (calls.spotterContinent == SpotFacts::Unread) {
        calls.spotterContinent = countries->ContinentOf(facts.spotter);
    }
    return calls.spotterContinent;
}

int CFilterFacts::ReadSpotterDxcc(SpotFacts& facts, const CCountryFile* countries) {
    if (facts.Of().SpotterDxcc > 0) {
        return facts.Of().SpotterDxcc;
    }
    if (countries == nullptr) {
        return 0;
    }
    SpotFacts::Calls& calls = Calls(facts, countries);
    if (calls.spotterDxcc == SpotFacts::Unread) {
        calls.spotterDxcc = countries->DxccOf(facts.spotter);
    }
    return calls.spotterDxcc;
}

std::uint8_t CFilterFacts::ReadDxPlaces(SpotFacts& facts, const CCountryFile* countries) {
    if (countries == nullptr) {
        return CCountryFile::PlaceBit(CCountryFile::NoContinent);
    }
    SpotFacts::Calls& calls = Calls(facts, countries);
    if (calls.dxPlaces == 0) {
        calls.dxPlaces = countries->PlacesOf(facts.Of().DxCall);
    }
    return calls.dxPlaces;
}

std::uint8_t CFilterFacts::ReadSpotterPlaces(SpotFacts& facts, const CCountryFile* countries) {
    const int reported = facts.Of().SpotterContinent;
    if (reported >= 0) {
        return reported < CCountryFile::ContinentCount ? CCountryFile::PlaceBit(reported)
                                                       : CCountryFile::AnyPlace;
    }
    if (countries == nullptr) {
        return CCountryFile::PlaceBit(CCountryFile::NoContinent);
    }
    SpotFacts::Calls& calls = Calls(facts, countries);
    if (calls.spotterPlaces == 0) {
        calls.spotterPlaces = countries->PlacesOf(facts.spotter);
    }
    return calls.spotterPlaces;
}
