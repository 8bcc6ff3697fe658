#pragma once

#include "filters/CallPatternList.h"
#include "filters/FilterFacts.h"
#include "filters/FilterRule.h"
#include "filters/ModeTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CCountryFile;
struct SpotFacts;
struct SpotFields;

// The spot filter of a port: its rules in order and the country file that
// the continent criteria use. A spot passes when it matches no reject rule
// and, when the filter has accept rules, at least one of them.
//
// A rule that needs a country file when none can be read is kept (so a
// setup saves it back) but not used; the filter works with its other rules.
// Such an accept rule still counts as one that matches nothing, so that a
// port whose only accept rule cannot be used passes no spot instead of all.
//
// The rules in use are also kept made ready for the checks: masks for the
// table criteria, call patterns told apart by shape, and the rules that name
// one criterion of the same kind with the same action joined into one (two
// reject rules on bands are one on both). Neither the order of the rules nor
// which of them matches changes whether a spot passes, so the checks run
// rejects first, the cheap ones before those that look calls up; the rules
// of table criteria alone are folded, per band, into words read by the
// spot's continents, and a continent is looked up only when the first
// characters of the call leave open which word it reads. A filter that has
// a rule set no other filter has keeps no verdict for others. A
// spotter-dxcc rule uses the country file when one can be read, and the
// entity the source reported otherwise.
class CSpotFilter {
  public:
    enum class Added { Used, NotUsed, Bad };

    struct Rule {
        FilterRule rule;
        std::string text; // canonical
        bool used = true;
    };

    // The file the continent criteria use; empty for the program's default.
    // Rules added before keep the file they were added with.
    void SetCountryFile(const std::string& path) { m_countryPath = path; }
    const std::string& CountryFile() const { return m_countryPath; }

    // Adds a rule at the end. Bad: the text is no rule (reason says why) and
    // nothing is added. NotUsed: kept, but the country file cannot be read
    // (reason says why, naming the file the first time).
    Added Add(std::string_view text, std::string& reason);
    void Clear();

    const std::vector<Rule>& Rules() const { return m_rules; }

    // shared: the facts the other destinations of the spot worked out so far
    // (see SpotFacts); null works them out for this call only. origin: the
    // fields of the spot being routed when spot is known to be them after
    // the port's spotter options (see CFilterFacts::Take), else null.
    bool Passes(const SpotFields& spot, SpotFacts* shared = nullptr,
                const SpotFields* origin = nullptr) const {
        // Most ports filter nothing; they pay no call.
        return PassesEverything() || PassesRules(spot, shared, origin);
    }
    bool HasAcceptRule() const { return m_accepts > 0; }
    // Whether the filter has no rule, so that every spot passes.
    bool PassesEverything() const { return m_used == 0 && m_accepts == 0; }
    // There are accept rules, and none can be used.
    bool PassesNothing() const { return m_accepts > 0 && m_usedAccepts == 0; }

  private:
    // The criteria of a rule in use, in the order a check tests them: the
    // cheap ones first, as most rules fail on one of them.
    enum class Criterion : std::uint8_t {
        Skimmer,
        Band,
        Mode,
        Dx,
        Spotter,
        SpotterGrid,
        SpotterDxcc,
        DxCont,
        SpotterCont,
    };
    // A rule in use, made ready: the criteria it names as bits, each table
    // criterion with its mask of table numbers (for skimmer bit 0 is yes,
    // bit 1 no), the call criteria with their lists.
    struct Check {
        bool accept = true;
        std::uint32_t named = 0;
        int criteria = 0;
        std::uint32_t skimmer = 0;
        std::uint32_t bands = 0;
        std::uint32_t modes = 0;
        std::uint32_t dxContinents = 0;
        std::uint32_t spotterContinents = 0;
        CCallPatternList dx;
        CCallPatternList spotter;
        std::vector<std::string> spotterGrids; // upper case
        std::vector<int> spotterDxccs;
        int cost = 0;

        bool Names(Criterion c) const { return (named & Bit(c)) != 0; }
    };
    static constexpr std::uint32_t Bit(Criterion c) { return 1u << static_cast<unsigned>(c); }

    void Compile();
    bool PassesRules(const SpotFields& spot, SpotFacts* shared, const SpotFields* origin) const;
    [[gnu::noinline]] bool PassesTaking(const SpotFields& spot, SpotFacts* shared,
                                        const SpotFields* origin) const;
    // With shared taken for spot: the verdict kept for the rule set, or
    // Decides (and keeps it when others share the rule set).
    bool DecidesTaken(const SpotFields& spot, SpotFacts& shared) const;
    [[gnu::noinline]] bool DecidesAlone(const SpotFields& spot) const;
    [[gnu::noinline]] void TakeRuleSetNumber() const;
    // Takes the verdict of a filter of the same rule set, or decides and
    // keeps it for the next; shared is taken for spot (CFilterFacts::Take).
    [[gnu::noinline]] bool DecidesShared(const SpotFields& spot, SpotFacts& shared) const;
    static Check Made(const FilterRule& rule);
    // Puts what joined names into into, when both are rules of one action
    // that name the same single criterion.
    static bool Join(Check& into, const Check& joined);
    // known is taken for spot (CFilterFacts::Take).
    [[gnu::noinline]] bool Decides(const SpotFields& spot, SpotFacts& known) const;
    static bool Matches(const Check& check, const SpotFields& spot, CFilterFacts& facts);
    static bool NamesTablesOnly(const Check& check);

    std::vector<Rule> m_rules;
    // The checks that can match a spot of one band: those whose bands hold
    // it and those that name no band. A check that names the band alone
    // decides by it.
    struct BandPlan {
        bool rejected = false;
        // What a spot that no check in checks matches gets: true when the
        // filter has no accept rules or one that names this band alone.
        bool passesUnmatched = false;
        // Places in m_checks: the rejects, then from firstAccept on the
        // accepts (none when passesUnmatched, as they could change nothing).
        std::vector<std::uint32_t> checks;
        std::size_t firstAccept = 0;
        // The checks that name table criteria only (skimmer, band, mode,
        // continents) are not in checks but folded into words, so that they
        // cost a table read or two between them: by skimmer (yes, no) and
        // mode + 1, bit (DX continent + 1) * 8 + spotter continent + 1
        // (place 0 for an unknown one) says whether one of them matches.
        struct Table {
            std::uint64_t rejects = 0;
            std::uint64_t accepts = 0;
            // Whether the bits differ by the continent at all: a look-up
            // that cannot change them is not made.
            bool needsDx = false;
            bool needsSpotter = false;
            // By place, the places whose bits are the same: when every
            // continent a call may have (CCountryFile::PlacesOf) is alike,
            // any of them stands for the call's, and it is not looked up.
            std::array<std::uint8_t, 8> dxAlike{};
            std::array<std::uint8_t, 8> spotterAlike{};
        };
        static constexpr std::size_t Modes = 1 + CModeTable::Count;
        static constexpr std::size_t Places = 8; // 1 + continents
        // When every listed reject names a call whose patterns all fix an
        // end: by character, what the ends of a call that one of them can
        // match may be (DxFirst, DxLast, SpotterFirst, SpotterLast; the
        // spotter's only for rejects that name no DX call). Most spots meet
        // none, and skip the rejects with four table reads (a place for
        // every byte, so that a read needs no bounds test).
        bool rejectsByEnds = false;
        std::array<std::uint8_t, 256> rejectEnds{};
        bool hasTable = false;
        bool tableNeedsMode = false;
        std::array<Table, 2 * Modes> tables{};
    };

    static void Fold(BandPlan& plan, const Check& check);
    static void FindNeeds(BandPlan& plan);
    // The place of the table's bit for the DX continent or the spotter's.
    static std::size_t DxPlace(const BandPlan::Table& table, CFilterFacts& facts);
    static std::size_t SpotterPlace(const BandPlan::Table& table, CFilterFacts& facts);
    void FindRejectEnds(BandPlan& plan) const;
    // Whether one of the plan's checks from from up to to matches; out of
    // Decides, which most spots leave without a listed check.
    [[gnu::noinline]] bool AnyMatches(const BandPlan& plan, std::size_t from, std::size_t to,
                                      const SpotFields& spot, SpotFacts& known) const;

    std::vector<Check> m_checks;
    // By band + 1 (0 for a spot without one); a single plan for all spots
    // when no check names a band.
    std::vector<BandPlan> m_plans;
    bool m_plansByBand = false;
    // The facts every spot needs, worked out with the others at once.
    CFilterFacts::Eager m_eager;
    // The rules in use and the country file, as text; filters with the same
    // one pass the same spots, so they share a verdict through SpotFacts
    // under the number m_ruleSet (0 until first asked).
    std::string m_signature;
    mutable int m_ruleSet = 0;
    // How many filters took the rule set's number (see m_ruleSet); with
    // one, no verdict is kept.
    mutable const int* m_ruleSetTakers = nullptr;
    std::string m_countryPath;
    std::shared_ptr<const CCountryFile> m_countries;
    bool m_countryErrorShown = false;
    int m_used = 0;
    int m_accepts = 0;
    int m_usedAccepts = 0;
};
