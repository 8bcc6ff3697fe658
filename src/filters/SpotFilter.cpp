#include "filters/SpotFilter.h"

#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"
#include "filters/FilterFacts.h"
#include "filters/FilterRuleParser.h"
#include "spots/SpotFields.h"
#include "text/AsciiText.h"

#include <algorithm>

namespace {

// Cost of a criterion's check, in rough steps, to order the checks.
constexpr int TableCost = 1;
constexpr int ModeCost = 3;
constexpr int PatternCost = 2;
constexpr int LookUpCost = 8;

bool Holds(std::uint32_t mask, int value) {
    return value >= 0 && ((mask >> value) & 1u) != 0;
}

bool AnyMatches(const std::vector<CCallPattern>& patterns, std::string_view call) {
    for (const CCallPattern& pattern : patterns) {
        if (pattern.Matches(call)) {
            return true;
        }
    }
    return false;
}

bool AnyPrefixOf(const std::vector<std::string>& prefixes, std::string_view text) {
    for (const std::string& prefix : prefixes) {
        if (prefix.size() <= text.size() &&
            std::equal(prefix.begin(), prefix.end(), text.begin(),
                       [](char p, char c) { return p == ascii::Upper(c); })) {
            return true;
        }
    }
    return false;
}

template <typename T> void Append(std::vector<T>& to, const std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

CSpotFilter::Added CSpotFilter::Add(std::string_view text, std::string& reason) {
    Rule added;
    if (!CFilterRuleParser::Parse(text, added.rule, reason)) {
        return Added::Bad;
    }
    added.text = CFilterRuleParser::Canonical(added.rule);
    const bool needsCountries = added.rule.NeedsCountryFile();
    if ((needsCountries || !added.rule.spotterDxccs.empty()) && m_countries == nullptr) {
        std::string error;
        m_countries = CCountryFileCache::Get(m_countryPath, error);
        if (m_countries == nullptr && needsCountries) {
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
    Compile();
    return result;
}

void CSpotFilter::Clear() {
    m_rules.clear();
    m_checks.clear();
    m_firstAccept = 0;
    m_countries.reset();
    m_countryErrorShown = false;
    m_used = 0;
    m_accepts = 0;
    m_usedAccepts = 0;
}

CSpotFilter::Check CSpotFilter::Made(const FilterRule& rule) {
    Check check;
    check.accept = rule.accept;
    check.skimmer = rule.skimmer;
    check.bands = rule.bands.mask;
    check.modes = rule.modes.mask;
    check.dxContinents = rule.dxContinents.mask;
    check.spotterContinents = rule.spotterContinents.mask;
    for (const std::string& pattern : rule.dx) {
        check.dx.emplace_back(pattern);
    }
    for (const std::string& pattern : rule.spotter) {
        check.spotter.emplace_back(pattern);
    }
    for (const std::string& grid : rule.spotterGrids) {
        std::string upper = grid;
        std::transform(upper.begin(), upper.end(), upper.begin(), ascii::Upper);
        check.spotterGrids.push_back(std::move(upper));
    }
    check.spotterDxccs = rule.spotterDxccs;
    // Criteria in the order of FilterRule; skimmer alone is never joined, as
    // it has only two values.
    const bool named[] = {check.bands != 0,
                          check.modes != 0,
                          !check.dx.empty(),
                          !check.spotter.empty(),
                          check.dxContinents != 0,
                          check.spotterContinents != 0,
                          !check.spotterGrids.empty(),
                          !check.spotterDxccs.empty()};
    int count = check.skimmer != FilterRule::Skimmer::Any ? 1 : 0;
    for (int i = 0; i < static_cast<int>(std::size(named)); ++i) {
        if (named[i]) {
            ++count;
            check.single = i;
        }
    }
    if (count != 1) {
        check.single = -1;
    }
    return check;
}

void CSpotFilter::Compile() {
    m_checks.clear();
    for (const Rule& r : m_rules) {
        if (!r.used) {
            continue;
        }
        Check made = Made(r.rule);
        auto same = std::find_if(m_checks.begin(), m_checks.end(), [&made](const Check& c) {
            return made.single >= 0 && c.single == made.single && c.accept == made.accept;
        });
        if (same == m_checks.end()) {
            m_checks.push_back(std::move(made));
            continue;
        }
        same->bands |= made.bands;
        same->modes |= made.modes;
        same->dxContinents |= made.dxContinents;
        same->spotterContinents |= made.spotterContinents;
        Append(same->dx, made.dx);
        Append(same->spotter, made.spotter);
        Append(same->spotterGrids, made.spotterGrids);
        Append(same->spotterDxccs, made.spotterDxccs);
    }
    for (Check& check : m_checks) {
        check.cost = (check.skimmer != FilterRule::Skimmer::Any ? TableCost : 0) +
                     (check.bands != 0 ? TableCost : 0) + (check.modes != 0 ? ModeCost : 0) +
                     PatternCost * static_cast<int>(check.dx.size() + check.spotter.size() +
                                                    check.spotterGrids.size()) +
                     (check.spotterDxccs.empty() ? 0 : LookUpCost) +
                     (check.dxContinents != 0 ? LookUpCost : 0) +
                     (check.spotterContinents != 0 ? LookUpCost : 0);
    }
    std::stable_sort(m_checks.begin(), m_checks.end(), [](const Check& a, const Check& b) {
        return a.accept != b.accept ? !a.accept : a.cost < b.cost;
    });
    m_firstAccept = static_cast<std::size_t>(
        std::find_if(m_checks.begin(), m_checks.end(), [](const Check& c) { return c.accept; }) -
        m_checks.begin());
}

bool CSpotFilter::Passes(const SpotFields& spot, SpotFacts* shared) const {
    if (m_used == 0 && m_accepts == 0) {
        return true;
    }
    auto decide = [this, &spot](SpotFacts& known) {
        CFilterFacts facts(spot, known, m_countries.get());
        for (std::size_t i = 0; i < m_firstAccept; ++i) {
            if (Matches(m_checks[i], spot, facts)) {
                return false;
            }
        }
        if (m_accepts == 0) {
            return true;
        }
        for (std::size_t i = m_firstAccept; i < m_checks.size(); ++i) {
            if (Matches(m_checks[i], spot, facts)) {
                return true;
            }
        }
        return false;
    };
    if (shared != nullptr) {
        return decide(*shared);
    }
    SpotFacts own;
    return decide(own);
}

bool CSpotFilter::Matches(const Check& check, const SpotFields& spot, CFilterFacts& facts) {
    // The cheap criteria first: most rules fail on one of them.
    if (check.skimmer != FilterRule::Skimmer::Any &&
        facts.IsSkimmer() != (check.skimmer == FilterRule::Skimmer::Yes)) {
        return false;
    }
    if (check.bands != 0 && !Holds(check.bands, facts.Band())) {
        return false;
    }
    if (check.modes != 0 && !Holds(check.modes, facts.Mode())) {
        return false;
    }
    if (!check.dx.empty() && !AnyMatches(check.dx, spot.DxCall)) {
        return false;
    }
    if (!check.spotter.empty() &&
        !AnyMatches(check.spotter, CFilterFacts::BareSpotter(spot.Spotter))) {
        return false;
    }
    if (!check.spotterGrids.empty() && !AnyPrefixOf(check.spotterGrids, spot.SpotterGrid)) {
        return false;
    }
    if (!check.spotterDxccs.empty() &&
        std::find(check.spotterDxccs.begin(), check.spotterDxccs.end(), facts.SpotterDxcc()) ==
            check.spotterDxccs.end()) {
        return false;
    }
    if (check.dxContinents != 0 && !Holds(check.dxContinents, facts.DxContinent())) {
        return false;
    }
    return check.spotterContinents == 0 || Holds(check.spotterContinents, facts.SpotterContinent());
}
