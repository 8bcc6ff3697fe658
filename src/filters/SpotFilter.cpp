#include "filters/SpotFilter.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"
#include "filters/FilterFacts.h"
#include "filters/FilterRuleParser.h"
#include "spots/SpotFields.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <cstdint>
#include <map>

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

// A number for each rule set (the text of a filter's rules and country
// file) that filters were asked to share a verdict for: equal texts, equal
// numbers. The table holds no pointers and only grows by the rule sets that
// routed spots, a handful a setup.
int RuleSetNumber(const std::string& signature) {
    static std::map<std::string, int> numbers;
    return numbers.emplace(signature, static_cast<int>(numbers.size()) + 1).first->second;
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
    m_countries.reset();
    m_countryErrorShown = false;
    m_used = 0;
    m_accepts = 0;
    m_usedAccepts = 0;
    Compile();
}

CSpotFilter::Check CSpotFilter::Made(const FilterRule& rule) {
    Check check;
    check.accept = rule.accept;
    auto name = [&check](Criterion criterion, std::uint32_t mask, int cost) {
        check.criterion[static_cast<std::size_t>(check.criteria)] = criterion;
        check.mask[static_cast<std::size_t>(check.criteria)] = mask;
        ++check.criteria;
        check.cost += cost;
    };
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        name(Criterion::Skimmer, rule.skimmer == FilterRule::Skimmer::Yes ? 1u : 2u, TableCost);
    }
    if (rule.bands.IsSet()) {
        name(Criterion::Band, rule.bands.mask, TableCost);
    }
    if (rule.modes.IsSet()) {
        name(Criterion::Mode, rule.modes.mask, ModeCost);
    }
    for (const std::string& pattern : rule.dx) {
        check.dx.emplace_back(pattern);
    }
    if (!rule.dx.empty()) {
        name(Criterion::Dx, 0, PatternCost * static_cast<int>(rule.dx.size()));
    }
    for (const std::string& pattern : rule.spotter) {
        check.spotter.emplace_back(pattern);
    }
    if (!rule.spotter.empty()) {
        name(Criterion::Spotter, 0, PatternCost * static_cast<int>(rule.spotter.size()));
    }
    for (const std::string& grid : rule.spotterGrids) {
        std::string upper = grid;
        std::transform(upper.begin(), upper.end(), upper.begin(), ascii::Upper);
        check.spotterGrids.push_back(std::move(upper));
    }
    if (!rule.spotterGrids.empty()) {
        name(Criterion::SpotterGrid, 0, PatternCost * static_cast<int>(rule.spotterGrids.size()));
    }
    check.spotterDxccs = rule.spotterDxccs;
    if (!rule.spotterDxccs.empty()) {
        name(Criterion::SpotterDxcc, 0, LookUpCost);
    }
    if (rule.dxContinents.IsSet()) {
        name(Criterion::DxCont, rule.dxContinents.mask, LookUpCost);
    }
    if (rule.spotterContinents.IsSet()) {
        name(Criterion::SpotterCont, rule.spotterContinents.mask, LookUpCost);
    }
    return check;
}

bool CSpotFilter::Join(Check& into, const Check& joined) {
    // Skimmer has two values only: a rule on both would match every spot,
    // which the rules as written say no differently, but keep it plain.
    if (into.accept != joined.accept || into.criteria != 1 || joined.criteria != 1 ||
        into.criterion[0] != joined.criterion[0] || into.criterion[0] == Criterion::Skimmer) {
        return false;
    }
    into.mask[0] |= joined.mask[0];
    Append(into.dx, joined.dx);
    Append(into.spotter, joined.spotter);
    Append(into.spotterGrids, joined.spotterGrids);
    Append(into.spotterDxccs, joined.spotterDxccs);
    into.cost += joined.cost;
    return true;
}

void CSpotFilter::Compile() {
    m_checks.clear();
    m_signature = std::to_string(reinterpret_cast<std::uintptr_t>(m_countries.get()));
    m_signature += m_accepts > 0 ? " accepts\n" : "\n";
    for (const Rule& r : m_rules) {
        if (!r.used) {
            continue;
        }
        m_signature += r.text;
        m_signature += '\n';
        Check made = Made(r.rule);
        if (std::none_of(m_checks.begin(), m_checks.end(),
                         [&made](Check& c) { return Join(c, made); })) {
            m_checks.push_back(std::move(made));
        }
    }
    m_ruleSet = 0;
    std::stable_sort(m_checks.begin(), m_checks.end(),
                     [](const Check& a, const Check& b) { return a.cost < b.cost; });
    const bool byBand = std::any_of(m_checks.begin(), m_checks.end(), [](const Check& c) {
        return std::find(c.criterion.begin(), c.criterion.begin() + c.criteria, Criterion::Band) !=
               c.criterion.begin() + c.criteria;
    });
    m_plans.assign(byBand ? CBandTable::Count + 1 : 1, BandPlan{});
    for (std::size_t p = 0; p < m_plans.size(); ++p) {
        BandPlan& plan = m_plans[p];
        for (std::size_t i = 0; i < m_checks.size(); ++i) {
            const Check& check = m_checks[i];
            const auto band = std::find(check.criterion.begin(),
                                        check.criterion.begin() + check.criteria, Criterion::Band);
            const bool namesBand = band != check.criterion.begin() + check.criteria;
            if (namesBand) {
                const std::uint32_t mask =
                    check.mask[static_cast<std::size_t>(band - check.criterion.begin())];
                if (!Holds(mask, static_cast<int>(p) - 1)) {
                    continue;
                }
                if (check.criteria == 1) {
                    (check.accept ? plan.accepted : plan.rejected) = true;
                    continue;
                }
            }
            (check.accept ? plan.accepts : plan.rejects).push_back(i);
        }
    }
}

bool CSpotFilter::Passes(const SpotFields& spot, SpotFacts* shared) const {
    if (m_used == 0 && m_accepts == 0) {
        return true;
    }
    if (shared == nullptr) {
        SpotFacts own;
        return Decides(spot, own);
    }
    if (m_ruleSet == 0) {
        m_ruleSet = RuleSetNumber(m_signature);
    }
    for (const SpotFacts::Verdict& verdict : shared->verdicts) {
        if (verdict.ruleSet == m_ruleSet && CFilterFacts::SameFields(verdict.fields, spot)) {
            return verdict.passes;
        }
    }
    const bool passes = Decides(spot, *shared);
    SpotFacts::Verdict* place = &shared->verdicts.back();
    for (SpotFacts::Verdict& verdict : shared->verdicts) {
        if (verdict.ruleSet == 0) {
            place = &verdict;
            break;
        }
    }
    *place = SpotFacts::Verdict{m_ruleSet, passes, spot};
    return passes;
}

bool CSpotFilter::Decides(const SpotFields& spot, SpotFacts& known) const {
    CFilterFacts facts(spot, known, m_countries.get());
    const BandPlan& plan =
        m_plans.size() == 1 ? m_plans[0] : m_plans[static_cast<std::size_t>(facts.Band() + 1)];
    if (plan.rejected) {
        return false;
    }
    for (std::size_t i : plan.rejects) {
        if (Matches(m_checks[i], spot, facts)) {
            return false;
        }
    }
    if (m_accepts == 0 || plan.accepted) {
        return true;
    }
    for (std::size_t i : plan.accepts) {
        if (Matches(m_checks[i], spot, facts)) {
            return true;
        }
    }
    return false;
}

bool CSpotFilter::Matches(const Check& check, const SpotFields& spot, CFilterFacts& facts) {
    for (int i = 0; i < check.criteria; ++i) {
        const std::uint32_t mask = check.mask[static_cast<std::size_t>(i)];
        bool matches = false;
        switch (check.criterion[static_cast<std::size_t>(i)]) {
        case Criterion::Skimmer:
            matches = Holds(mask, facts.IsSkimmer() ? 0 : 1);
            break;
        case Criterion::Band:
            matches = Holds(mask, facts.Band());
            break;
        case Criterion::Mode:
            matches = Holds(mask, facts.Mode());
            break;
        case Criterion::Dx:
            matches = AnyMatches(check.dx, spot.DxCall);
            break;
        case Criterion::Spotter:
            matches = AnyMatches(check.spotter, CFilterFacts::BareSpotter(spot.Spotter));
            break;
        case Criterion::SpotterGrid:
            matches = AnyPrefixOf(check.spotterGrids, spot.SpotterGrid);
            break;
        case Criterion::SpotterDxcc:
            matches = std::find(check.spotterDxccs.begin(), check.spotterDxccs.end(),
                                facts.SpotterDxcc()) != check.spotterDxccs.end();
            break;
        case Criterion::DxCont:
            matches = Holds(mask, facts.DxContinent());
            break;
        case Criterion::SpotterCont:
            matches = Holds(mask, facts.SpotterContinent());
            break;
        case Criterion::Count:
            break;
        }
        if (!matches) {
            return false;
        }
    }
    return true;
}
