#include "filters/SpotFilter.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/CountryFileCache.h"
#include "filters/FilterFacts.h"
#include "filters/FilterRuleParser.h"
#include "spots/SpotFields.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <bit>
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
// numbers, and how many times a filter took the number. A rule set only one
// filter took has no one to share a verdict with. The table holds no
// pointers to filters and only grows by the rule sets that routed spots, a
// handful a setup; a filter that goes away leaves its count, which then
// only costs a verdict kept for nobody.
struct RuleSet {
    int number = 0;
    int takers = 0;
};
RuleSet& TakeRuleSet(const std::string& signature) {
    static std::map<std::string, RuleSet> sets;
    RuleSet& set = sets[signature];
    if (set.number == 0) {
        set.number = static_cast<int>(sets.size());
    }
    ++set.takers;
    return set;
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
    auto name = [&check](Criterion criterion, int cost) {
        check.named |= Bit(criterion);
        ++check.criteria;
        check.cost += cost;
    };
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        check.skimmer = rule.skimmer == FilterRule::Skimmer::Yes ? 1u : 2u;
        name(Criterion::Skimmer, TableCost);
    }
    if (rule.bands.IsSet()) {
        check.bands = rule.bands.mask;
        name(Criterion::Band, TableCost);
    }
    if (rule.modes.IsSet()) {
        check.modes = rule.modes.mask;
        name(Criterion::Mode, ModeCost);
    }
    for (const std::string& pattern : rule.dx) {
        check.dx.Add(pattern);
    }
    if (!rule.dx.empty()) {
        name(Criterion::Dx, PatternCost * static_cast<int>(rule.dx.size()));
    }
    for (const std::string& pattern : rule.spotter) {
        check.spotter.Add(pattern);
    }
    if (!rule.spotter.empty()) {
        name(Criterion::Spotter, PatternCost * static_cast<int>(rule.spotter.size()));
    }
    for (const std::string& grid : rule.spotterGrids) {
        std::string upper = grid;
        std::transform(upper.begin(), upper.end(), upper.begin(), ascii::Upper);
        check.spotterGrids.push_back(std::move(upper));
    }
    if (!rule.spotterGrids.empty()) {
        name(Criterion::SpotterGrid, PatternCost * static_cast<int>(rule.spotterGrids.size()));
    }
    check.spotterDxccs = rule.spotterDxccs;
    if (!rule.spotterDxccs.empty()) {
        name(Criterion::SpotterDxcc, LookUpCost);
    }
    if (rule.dxContinents.IsSet()) {
        check.dxContinents = rule.dxContinents.mask;
        name(Criterion::DxCont, LookUpCost);
    }
    if (rule.spotterContinents.IsSet()) {
        check.spotterContinents = rule.spotterContinents.mask;
        name(Criterion::SpotterCont, LookUpCost);
    }
    return check;
}

bool CSpotFilter::Join(Check& into, const Check& joined) {
    // Skimmer has two values only: a rule on both would match every spot,
    // which the rules as written say no differently, but keep it plain.
    if (into.accept != joined.accept || into.criteria != 1 || joined.criteria != 1 ||
        into.named != joined.named || into.Names(Criterion::Skimmer)) {
        return false;
    }
    into.bands |= joined.bands;
    into.modes |= joined.modes;
    into.dxContinents |= joined.dxContinents;
    into.spotterContinents |= joined.spotterContinents;
    into.dx.Append(joined.dx);
    into.spotter.Append(joined.spotter);
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
    const bool byBand = std::any_of(m_checks.begin(), m_checks.end(),
                                    [](const Check& c) { return c.Names(Criterion::Band); });
    m_plansByBand = byBand;
    m_eager = {};
    m_plans.assign(byBand ? CBandTable::Count + 1 : 1, BandPlan{});
    for (std::size_t p = 0; p < m_plans.size(); ++p) {
        BandPlan& plan = m_plans[p];
        bool accepted = false;
        std::vector<std::uint32_t> accepts;
        for (std::size_t i = 0; i < m_checks.size(); ++i) {
            const Check& check = m_checks[i];
            if (check.Names(Criterion::Band)) {
                if (!Holds(check.bands, static_cast<int>(p) - 1)) {
                    continue;
                }
                if (check.criteria == 1) {
                    (check.accept ? accepted : plan.rejected) = true;
                    continue;
                }
            }
            (check.accept ? accepts : plan.checks).push_back(static_cast<std::uint32_t>(i));
        }
        plan.firstAccept = plan.checks.size();
        plan.passesUnmatched = m_accepts == 0 || accepted;
        if (!plan.passesUnmatched) {
            plan.checks.insert(plan.checks.end(), accepts.begin(), accepts.end());
        }
        // Out of the list into the words go the checks of table criteria.
        std::vector<std::uint32_t> listed;
        std::size_t firstAccept = 0;
        for (std::size_t k = 0; k < plan.checks.size(); ++k) {
            const Check& check = m_checks[plan.checks[k]];
            if (NamesTablesOnly(check)) {
                Fold(plan, check);
                continue;
            }
            listed.push_back(plan.checks[k]);
            firstAccept += k < plan.firstAccept ? 1 : 0;
        }
        plan.checks = std::move(listed);
        plan.firstAccept = firstAccept;
        FindNeeds(plan);
        FindRejectEnds(plan);
        for (std::size_t t = 0; t < plan.tables.size(); ++t) {
            const BandPlan::Table& table = plan.tables[t];
            m_eager.dxPlaces = m_eager.dxPlaces || table.needsDx;
            bool& spotter = m_eager.spotterPlaces[t < BandPlan::Modes ? 0 : 1];
            spotter = spotter || table.needsSpotter;
        }
    }
    m_eager.band = byBand;
}

namespace {

constexpr std::uint8_t DxFirst = 1;
constexpr std::uint8_t DxLast = 2;
constexpr std::uint8_t SpotterFirst = 4;
constexpr std::uint8_t SpotterLast = 8;

} // namespace

void CSpotFilter::FindRejectEnds(BandPlan& plan) const {
    plan.rejectsByEnds = plan.firstAccept > 0;
    for (std::size_t k = 0; k < plan.firstAccept && plan.rejectsByEnds; ++k) {
        const Check& check = m_checks[plan.checks[k]];
        // A check that names both calls can only match a DX call its own
        // patterns allow.
        const bool dx = check.Names(Criterion::Dx);
        const CCallPatternList& list = dx ? check.dx : check.spotter;
        if (!(dx || check.Names(Criterion::Spotter)) || !list.FixesEnds()) {
            plan.rejectsByEnds = false;
            break;
        }
        const std::uint8_t first = dx ? DxFirst : SpotterFirst;
        const std::uint8_t last = dx ? DxLast : SpotterLast;
        const CCallPatternList::Ends& ends = list.EndsOf();
        for (std::size_t c = 0; c < ends.size(); ++c) {
            plan.rejectEnds[c] |=
                static_cast<std::uint8_t>(((ends[c] & CCallPatternList::First) != 0 ? first : 0) |
                                          ((ends[c] & CCallPatternList::Last) != 0 ? last : 0));
        }
    }
    // The place of an empty call, which no pattern that fixes an end meets.
    plan.rejectEnds[0] = 0;
}

bool CSpotFilter::NamesTablesOnly(const Check& check) {
    constexpr std::uint32_t tables = Bit(Criterion::Skimmer) | Bit(Criterion::Band) |
                                     Bit(Criterion::Mode) | Bit(Criterion::DxCont) |
                                     Bit(Criterion::SpotterCont);
    return (check.named & ~tables) == 0;
}

void CSpotFilter::Fold(BandPlan& plan, const Check& check) {
    static_assert(BandPlan::Places == 1 + CCountryFile::ContinentCount);
    static_assert(BandPlan::Places * BandPlan::Places == 64);
    // Place 0 of a value is unknown: it meets only a check that does not
    // name the criterion.
    auto meets = [](bool named, std::uint32_t mask, std::size_t place) {
        return !named || (place > 0 && Holds(mask, static_cast<int>(place) - 1));
    };
    for (std::size_t skimmer = 0; skimmer < 2; ++skimmer) {
        if (check.Names(Criterion::Skimmer) && !Holds(check.skimmer, static_cast<int>(skimmer))) {
            continue;
        }
        for (std::size_t mode = 0; mode < BandPlan::Modes; ++mode) {
            if (!meets(check.Names(Criterion::Mode), check.modes, mode)) {
                continue;
            }
            BandPlan::Table& table = plan.tables[skimmer * BandPlan::Modes + mode];
            for (std::size_t dx = 0; dx < BandPlan::Places; ++dx) {
                for (std::size_t spotter = 0; spotter < BandPlan::Places; ++spotter) {
                    if (meets(check.Names(Criterion::DxCont), check.dxContinents, dx) &&
                        meets(check.Names(Criterion::SpotterCont), check.spotterContinents,
                              spotter)) {
                        (check.accept ? table.accepts : table.rejects) |=
                            std::uint64_t{1} << (dx * BandPlan::Places + spotter);
                    }
                }
            }
        }
    }
    plan.hasTable = true;
}

void CSpotFilter::FindNeeds(BandPlan& plan) {
    constexpr std::size_t places = BandPlan::Places;
    // The bits of one DX continent's place, as a row of the spotter's.
    constexpr std::uint64_t row = (std::uint64_t{1} << places) - 1;
    // The bits of one spotter continent's place, as a column of the DX's.
    constexpr std::uint64_t column = 0x0101010101010101u;
    auto differ = [](std::uint64_t a, std::uint64_t b) { return a != b; };
    for (BandPlan::Table& table : plan.tables) {
        for (std::uint64_t word : {table.rejects, table.accepts}) {
            for (std::size_t place = 1; place < places; ++place) {
                table.needsDx =
                    table.needsDx || differ((word >> (place * places)) & row, word & row);
                table.needsSpotter =
                    table.needsSpotter || differ((word >> place) & column, word & column);
            }
        }
        for (std::size_t a = 0; a < places; ++a) {
            for (std::size_t b = 0; b < places; ++b) {
                bool rowsAlike = true;
                bool columnsAlike = true;
                for (std::uint64_t word : {table.rejects, table.accepts}) {
                    rowsAlike = rowsAlike &&
                                !differ((word >> (a * places)) & row, (word >> (b * places)) & row);
                    columnsAlike =
                        columnsAlike && !differ((word >> a) & column, (word >> b) & column);
                }
                table.dxAlike[a] |= static_cast<std::uint8_t>(rowsAlike ? 1u << b : 0u);
                table.spotterAlike[a] |= static_cast<std::uint8_t>(columnsAlike ? 1u << b : 0u);
            }
        }
    }
    for (std::size_t skimmer = 0; skimmer < 2; ++skimmer) {
        const BandPlan::Table* tables = &plan.tables[skimmer * BandPlan::Modes];
        for (std::size_t mode = 1; mode < BandPlan::Modes; ++mode) {
            plan.tableNeedsMode = plan.tableNeedsMode ||
                                  tables[mode].rejects != tables[0].rejects ||
                                  tables[mode].accepts != tables[0].accepts;
        }
    }
}

[[gnu::always_inline]] inline bool CSpotFilter::DecidesTaken(const SpotFields& spot,
                                                             SpotFacts& shared) const {
    // The usual cases: a shared verdict, without a call, and the first
    // filter of a shared rule set, which keeps its verdict in the first
    // place.
    const std::size_t kept = shared.verdictsKept;
    if (kept > 0 && shared.verdicts[0].ruleSet == m_ruleSet) {
        return shared.verdicts[0].passes;
    }
    if (*m_ruleSetTakers == 1) {
        return Decides(spot, shared);
    }
    if (kept > 0) {
        return DecidesShared(spot, shared);
    }
    const bool passes = Decides(spot, shared);
    shared.verdicts[0] = {m_ruleSet, passes};
    shared.verdictsKept = 1;
    return passes;
}

// Every spot of a filtered port comes here. The usual way, facts a filter
// before took of the same routed spot, calls nothing before it decides, so
// it sets up no frame; the rest take the facts first.
bool CSpotFilter::PassesRules(const SpotFields& spot, SpotFacts* shared,
                              const SpotFields* origin) const {
    // Facts of origin hold only once taken: Reset leaves none.
    if (shared == nullptr || m_ruleSet == 0 || origin == nullptr || shared->of != origin) {
        return PassesTaking(spot, shared, origin);
    }
    return DecidesTaken(spot, *shared);
}

bool CSpotFilter::PassesTaking(const SpotFields& spot, SpotFacts* shared,
                               const SpotFields* origin) const {
    if (shared == nullptr) {
        return DecidesAlone(spot);
    }
    if (m_ruleSet == 0) {
        TakeRuleSetNumber();
    }
    CFilterFacts::Take(spot, *shared, m_countries.get(), origin, m_eager);
    return DecidesTaken(spot, *shared);
}

bool CSpotFilter::DecidesAlone(const SpotFields& spot) const {
    SpotFacts own;
    CFilterFacts::Take(spot, own, m_countries.get(), nullptr, m_eager);
    return Decides(spot, own);
}

void CSpotFilter::TakeRuleSetNumber() const {
    const RuleSet& set = TakeRuleSet(m_signature);
    m_ruleSet = set.number;
    m_ruleSetTakers = &set.takers;
}

bool CSpotFilter::DecidesShared(const SpotFields& spot, SpotFacts& shared) const {
    // The verdicts are of the fields the facts were taken for, as the facts.
    const std::size_t kept = shared.verdictsKept;
    for (std::size_t i = 0; i < kept; ++i) {
        if (shared.verdicts[i].ruleSet == m_ruleSet) {
            return shared.verdicts[i].passes;
        }
    }
    const bool passes = Decides(spot, shared);
    // A free place, or with more rule sets than places the last one in turn.
    SpotFacts::Verdict& place = shared.verdicts[std::min(kept, shared.verdicts.size() - 1)];
    shared.verdictsKept = std::min(kept + 1, shared.verdicts.size());
    place.ruleSet = m_ruleSet;
    place.passes = passes;
    return passes;
}

// Asked in one place only, and made part of it there: a call for each
// check would cost as much as most checks do.
[[gnu::always_inline]] inline bool CSpotFilter::Matches(const Check& check, const SpotFields& spot,
                                                        CFilterFacts& facts) {
    // Straight tests in the order of Criterion: a check names few criteria,
    // and most spots fail the first it names.
    if (check.Names(Criterion::Skimmer) && !Holds(check.skimmer, facts.IsSkimmer() ? 0 : 1)) {
        return false;
    }
    if (check.Names(Criterion::Band) && !Holds(check.bands, facts.Band())) {
        return false;
    }
    if (check.Names(Criterion::Mode) && !Holds(check.modes, facts.Mode())) {
        return false;
    }
    if (check.Names(Criterion::Dx) && !check.dx.Matches(spot.DxCall)) {
        return false;
    }
    if (check.Names(Criterion::Spotter) && !check.spotter.Matches(facts.Spotter())) {
        return false;
    }
    if (check.Names(Criterion::SpotterGrid) && !AnyPrefixOf(check.spotterGrids, spot.SpotterGrid)) {
        return false;
    }
    if (check.Names(Criterion::SpotterDxcc) &&
        std::find(check.spotterDxccs.begin(), check.spotterDxccs.end(), facts.SpotterDxcc()) ==
            check.spotterDxccs.end()) {
        return false;
    }
    if (check.Names(Criterion::DxCont) && !Holds(check.dxContinents, facts.DxContinent())) {
        return false;
    }
    return !check.Names(Criterion::SpotterCont) ||
           Holds(check.spotterContinents, facts.SpotterContinent());
}

namespace {

// The place of a table value (mode, continent): value + 1, 0 for an unknown.
std::size_t PlaceOf(int value) {
    const auto p = static_cast<std::size_t>(value + 1);
    return p < 8 ? p : 0;
}

} // namespace

[[gnu::always_inline]] inline std::size_t CSpotFilter::DxPlace(const BandPlan::Table& table,
                                                               CFilterFacts& facts) {
    const std::uint8_t places = facts.DxPlaces();
    const auto any = static_cast<std::size_t>(std::countr_zero(places));
    return (places & ~table.dxAlike[any]) == 0 ? any : PlaceOf(facts.DxContinent());
}

[[gnu::always_inline]] inline std::size_t CSpotFilter::SpotterPlace(const BandPlan::Table& table,
                                                                    CFilterFacts& facts) {
    const std::uint8_t places = facts.SpotterPlaces();
    const auto any = static_cast<std::size_t>(std::countr_zero(places));
    return (places & ~table.spotterAlike[any]) == 0 ? any : PlaceOf(facts.SpotterContinent());
}

bool CSpotFilter::AnyMatches(const BandPlan& plan, std::size_t from, std::size_t to,
                             const SpotFields& spot, SpotFacts& known) const {
    CFilterFacts facts(known, m_countries.get());
    for (std::size_t k = from; k < to; ++k) {
        if (Matches(m_checks[plan.checks[k]], spot, facts)) {
            return true;
        }
    }
    return false;
}

bool CSpotFilter::Decides(const SpotFields& spot, SpotFacts& known) const {
    CFilterFacts facts(known, m_countries.get());
    const BandPlan& plan =
        m_plans[m_plansByBand ? static_cast<std::size_t>(facts.Band() + 1) : std::size_t{0}];
    if (plan.rejected) {
        return false;
    }
    // The first check that matches decides: a reject by failing the spot,
    // an accept by passing it. The words of table criteria come after the
    // listed rejects, which look no call up, and before the accepts.
    const std::size_t firstAccept = plan.firstAccept;
    if (firstAccept > 0) {
        const std::array<std::uint8_t, 256>& ends = plan.rejectEnds;
        const bool endsMet =
            !plan.rejectsByEnds ||
            ((ends[known.ends[0]] & DxFirst) | (ends[known.ends[1]] & DxLast) |
             (ends[known.ends[2]] & SpotterFirst) | (ends[known.ends[3]] & SpotterLast)) != 0;
        if (endsMet && AnyMatches(plan, 0, firstAccept, spot, known)) {
            return false;
        }
    }
    if (plan.hasTable) {
        const std::size_t mode =
            plan.tableNeedsMode ? std::min(PlaceOf(facts.Mode()), BandPlan::Modes - 1) : 0;
        const BandPlan::Table& table =
            plan.tables[(facts.IsSkimmer() ? 0 : BandPlan::Modes) + mode];
        const std::size_t bit = (table.needsDx ? DxPlace(table, facts) * BandPlan::Places : 0) +
                                (table.needsSpotter ? SpotterPlace(table, facts) : 0);
        if (((table.rejects >> bit) & 1u) != 0) {
            return false;
        }
        if (((table.accepts >> bit) & 1u) != 0) {
            return true;
        }
    }
    const std::size_t count = plan.checks.size();
    return count > firstAccept
               ? AnyMatches(plan, firstAccept, count, spot, known) || plan.passesUnmatched
               : plan.passesUnmatched;
}
