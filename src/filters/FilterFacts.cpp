#include "filters/FilterFacts.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/ModeTable.h"

void CFilterFacts::ReadFrequency() {
    if (m_facts.frequencyRead && Same(m_facts.frequency, m_spot.Frequency)) {
        return;
    }
    m_facts.frequencyRead = true;
    m_facts.frequency = m_spot.Frequency;
    if (!CBandTable::ParseKhz(m_spot.Frequency, m_facts.kHz)) {
        m_facts.kHz = -1.0;
    }
    m_facts.band = CBandTable::BandOf(m_facts.kHz);
}

int CFilterFacts::ReadBand() {
    ReadFrequency();
    return m_facts.band;
}

int CFilterFacts::ReadMode() {
    if (!m_facts.modeRead || !Same(m_facts.modeComment, m_spot.Comment) ||
        !Same(m_facts.modeFrequency, m_spot.Frequency)) {
        ReadFrequency();
        m_facts.modeRead = true;
        m_facts.modeComment = m_spot.Comment;
        m_facts.modeFrequency = m_spot.Frequency;
        m_facts.mode = CModeTable::ModeOf(m_spot.Comment, m_facts.kHz);
    }
    return m_facts.mode;
}

SpotFacts::Calls& CFilterFacts::Calls() {
    if (m_calls != nullptr) {
        return *m_calls;
    }
    const void* key = m_countries;
    for (SpotFacts::Calls& calls : m_facts.calls) {
        if (calls.countryFile == key) {
            m_calls = &calls;
            return calls;
        }
    }
    m_calls = &m_facts.calls.back();
    for (SpotFacts::Calls& calls : m_facts.calls) {
        if (calls.countryFile == nullptr) {
            m_calls = &calls;
            break;
        }
    }
    // A free place, or with more files than places the last one in turn.
    *m_calls = SpotFacts::Calls{};
    m_calls->countryFile = key;
    return *m_calls;
}

int CFilterFacts::ReadDxContinent() {
    if (m_countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = Calls();
    if (!calls.dxRead || !Same(calls.dx, m_spot.DxCall)) {
        calls.dxRead = true;
        calls.dx = m_spot.DxCall;
        calls.dxContinent = m_countries->ContinentOf(m_spot.DxCall);
    }
    return calls.dxContinent;
}

SpotFacts::Calls& CFilterFacts::ReadSpotter() {
    SpotFacts::Calls& calls = Calls();
    // A stripped "-#" leaves the same call the country file reads.
    const std::string_view spotter = BareSpotter(m_spot.Spotter);
    if (!calls.spotterRead || !Same(calls.spotter, spotter)) {
        calls.spotterRead = true;
        calls.spotter = spotter;
        calls.spotterContinent = SpotFacts::Unread;
        calls.spotterDxcc = SpotFacts::Unread;
    }
    return calls;
}

int CFilterFacts::ReadSpotterContinent() {
    if (m_spot.SpotterContinent >= 0) {
        return m_spot.SpotterContinent;
    }
    if (m_countries == nullptr) {
        return CCountryFile::NoContinent;
    }
    SpotFacts::Calls& calls = ReadSpotter();
    if (calls.spotterContinent == SpotFacts::Unread) {
        calls.spotterContinent = m_countries->ContinentOf(calls.spotter);
    }
    return calls.spotterContinent;
}

int CFilterFacts::ReadSpotterDxcc() {
    if (m_spot.SpotterDxcc > 0) {
        return m_spot.SpotterDxcc;
    }
    if (m_countries == nullptr) {
        return 0;
    }
    SpotFacts::Calls& calls = ReadSpotter();
    if (calls.spotterDxcc == SpotFacts::Unread) {
        calls.spotterDxcc = m_countries->DxccOf(calls.spotter);
    }
    return calls.spotterDxcc;
}
