#include "filters/SpotFilter.h"

#include "filters/BandTable.h"
#include "filters/CallPattern.h"
#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"
#include "filters/FilterRuleParser.h"
#include "filters/ModeTable.h"
#include "spots/SpotFields.h"

namespace {

constexpr int NotYet = -2;

bool AnyMatches(const std::vector<std::string>& patterns, std::string_view call) {
    for (const std::string& pattern : patterns) {
        if (CCallPattern::Matches(pattern, call)) {
            return true;
        }
    }
    return false;
}

// The spotter without a skimmer's "-#" or a relay's "-@".
std::string_view BareSpotter(std::string_view spotter) {
    if (spotter.size() > 2 && spotter[spotter.size() - 2] == '-' &&
        (spotter.back() == '#' || spotter.back() == '@')) {
        spotter.remove_suffix(2);
    }
    return spotter;
}

} // namespace

// What the rules ask of one spot, worked out when a rule first asks.
struct CSpotFilter::Facts {
    int band = NotYet;
    int mode = NotYet;
    int dxContinent = NotYet;
    int spotterContinent = NotYet;
    double kHz = -1.0;
    bool kHzKnown = false;
};

CSpotFilter::Added CSpotFilter::Add(std::string_view text, std::string& reason) {
    Rule added;
    if (!CFilterRuleParser::Parse(text, added.rule, reason)) {
        return Added::Bad;
    }
    added.text = CFilterRuleParser::Canonical(added.rule);
    if (added.rule.NeedsCountryFile() && m_countries == nullptr) {
        std::string error;
        m_countries = CCountryFileCache::Get(m_countryPath, error);
        if (m_countries == nullptr) {
            added.used = false;
            reason = "no country file for its continents";
            if (!m_countryErrorShown) {
                reason += " (" + error + ")";
                m_countryErrorShown = true;
            }
        }
    }
    m_used += added.used ? 1 : 0;
    m_accepts += added.rule.accept ? 1 : 0;
    m_usedAccepts += added.rule.accept && added.used ? 1 : 0;
    const Added result = added.used ? Added::Used : Added::NotUsed;
    m_rules.push_back(std::move(added));
    return result;
}

void CSpotFilter::Clear() {
    m_rules.clear();
    m_countries.reset();
    m_countryErrorShown = false;
    m_used = 0;
    m_accepts = 0;
    m_usedAccepts = 0;
}

bool CSpotFilter::Passes(const SpotFields& spot) const {
    if (m_used == 0 && m_accepts == 0) {
        return true;
    }
    Facts facts;
    bool accepts = m_accepts > 0;
    bool accepted = false;
    for (const Rule& r : m_rules) {
        if (!r.used) {
            continue;
        }
        if (!r.rule.accept) {
            if (Matches(r.rule, spot, facts)) {
                return false;
            }
        } else if (!accepted) {
            accepted = Matches(r.rule, spot, facts);
        }
    }
    return !accepts || accepted;
}

bool CSpotFilter::Matches(const FilterRule& rule, const SpotFields& spot, Facts& facts) const {
    // The cheap criteria first: most rules fail on one of them.
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        const bool skimmer =
            (!spot.Spotter.empty() && spot.Spotter.back() == '#') || spot.StrippedMark == '#';
        if (skimmer != (rule.skimmer == FilterRule::Skimmer::Yes)) {
            return false;
        }
    }
    if ((rule.bands.IsSet() || rule.modes.IsSet()) && !facts.kHzKnown) {
        facts.kHzKnown = true;
        if (!CBandTable::ParseKhz(spot.Frequency, facts.kHz)) {
            facts.kHz = -1.0;
        }
    }
    if (rule.bands.IsSet()) {
        if (facts.band == NotYet) {
            facts.band = CBandTable::BandOf(facts.kHz);
        }
        if (!rule.bands.Holds(facts.band)) {
            return false;
        }
    }
    if (rule.modes.IsSet()) {
        if (facts.mode == NotYet) {
            facts.mode = CModeTable::ModeOf(spot.Comment, facts.kHz);
        }
        if (!rule.modes.Holds(facts.mode)) {
            return false;
        }
    }
    if (!rule.dx.empty() && !AnyMatches(rule.dx, spot.DxCall)) {
        return false;
    }
    if (!rule.spotter.empty() && !AnyMatches(rule.spotter, BareSpotter(spot.Spotter))) {
        return false;
    }
    if (rule.dxContinents.IsSet()) {
        if (facts.dxContinent == NotYet) {
            facts.dxContinent = m_countries->ContinentOf(spot.DxCall);
        }
        if (!rule.dxContinents.Holds(facts.dxContinent)) {
            return false;
        }
    }
    if (rule.spotterContinents.IsSet()) {
        if (facts.spotterContinent == NotYet) {
            facts.spotterContinent = m_countries->ContinentOf(spot.Spotter);
        }
        if (!rule.spotterContinents.Holds(facts.spotterContinent)) {
            return false;
        }
    }
    return true;
}
