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

// A mask holds a value when its bit is set; -1 (not known) is in no mask.
bool Holds(std::uint32_t mask, int value) {
    return value >= 0 && ((mask >> value) & 1u) != 0;
}

// The spotter without a skimmer's "-#" or a relay's "-@".
std::string_view BareSpotter(std::string_view spotter) {
    if (spotter.size() > 2 && spotter[spotter.size() - 2] == '-' &&
        (spotter.back() == '#' || spotter.back() == '@')) {
        spotter.remove_suffix(2);
    }
    return spotter;
}

// The last answer for one text. A spot routed to several filtered ports
// reaches each port's filter in turn with the same calls and frequency, so
// the look-ups are made once per spot, not once per port. Filters run on
// the event loop's thread; the memo is the thread's own all the same.
template <typename Value> struct LastAnswer {
    std::string text;
    Value value{};
    bool known = false;
};

struct LastCountryAnswer {
    std::shared_ptr<const CCountryFile> file; // held, so that its address stays its own
    LastAnswer<int> answer;
};

int ContinentOf(LastCountryAnswer& last, const std::shared_ptr<const CCountryFile>& file,
                std::string_view call) {
    if (!last.answer.known || last.file != file || last.answer.text != call) {
        last.answer.value = file->ContinentOf(call);
        last.answer.text.assign(call);
        last.answer.known = true;
        last.file = file;
    }
    return last.answer.value;
}

struct Khz {
    double kHz = -1.0;
    int band = -1;
};

Khz KhzOf(std::string_view frequency) {
    thread_local LastAnswer<Khz> last;
    if (!last.known || last.text != frequency) {
        Khz k;
        if (!CBandTable::ParseKhz(frequency, k.kHz)) {
            k.kHz = -1.0;
        }
        k.band = CBandTable::BandOf(k.kHz);
        last.value = k;
        last.text.assign(frequency);
        last.known = true;
    }
    return last.value;
}

thread_local LastCountryAnswer lastDx;
thread_local LastCountryAnswer lastSpotter;

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
    if (added.used) {
        Flatten(added.rule);
    }
    m_rules.push_back(std::move(added));
    return result;
}

void CSpotFilter::Flatten(const FilterRule& rule) {
    FlatRule flat;
    flat.accept = rule.accept;
    flat.skimmer = rule.skimmer;
    const auto choice = [&flat](const FilterChoice& c, std::uint32_t& mask, FlatRule::Asks ask) {
        if (c.IsSet()) {
            mask = c.mask;
            flat.asks |= ask;
        }
    };
    choice(rule.bands, flat.bands, FlatRule::Bands);
    choice(rule.modes, flat.modes, FlatRule::Modes);
    choice(rule.dxContinents, flat.dxContinents, FlatRule::DxContinents);
    choice(rule.spotterContinents, flat.spotterContinents, FlatRule::SpotterContinents);
    const auto patterns = [this, &flat](const std::vector<std::string>& from, std::uint32_t& first,
                                        std::uint32_t& end, FlatRule::Asks ask) {
        first = static_cast<std::uint32_t>(m_patterns.size());
        for (const std::string& pattern : from) {
            m_patterns.emplace_back(pattern);
        }
        end = static_cast<std::uint32_t>(m_patterns.size());
        if (!from.empty()) {
            flat.asks |= ask;
        }
    };
    patterns(rule.dx, flat.dxFrom, flat.dxEnd, FlatRule::DxCalls);
    patterns(rule.spotter, flat.spotterFrom, flat.spotterEnd, FlatRule::Spotters);
    m_flat.push_back(flat);
}

void CSpotFilter::Clear() {
    m_rules.clear();
    m_flat.clear();
    m_patterns.clear();
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
    for (const FlatRule& rule : m_flat) {
        if (!rule.accept) {
            if (Matches(rule, spot, facts)) {
                return false;
            }
        } else if (!accepted) {
            accepted = Matches(rule, spot, facts);
        }
    }
    return !accepts || accepted;
}

bool CSpotFilter::AnyMatches(std::uint32_t from, std::uint32_t end, std::string_view call) const {
    for (std::uint32_t i = from; i < end; ++i) {
        if (m_patterns[i].Matches(call)) {
            return true;
        }
    }
    return false;
}

bool CSpotFilter::Matches(const FlatRule& rule, const SpotFields& spot, Facts& facts) const {
    // The cheap criteria first: most rules fail on one of them.
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        const bool skimmer =
            (!spot.Spotter.empty() && spot.Spotter.back() == '#') || spot.StrippedMark == '#';
        if (skimmer != (rule.skimmer == FilterRule::Skimmer::Yes)) {
            return false;
        }
    }
    if ((rule.asks & (FlatRule::Bands | FlatRule::Modes)) != 0 && !facts.kHzKnown) {
        facts.kHzKnown = true;
        const Khz k = KhzOf(spot.Frequency);
        facts.kHz = k.kHz;
        facts.band = k.band;
    }
    if ((rule.asks & FlatRule::Bands) != 0 && !Holds(rule.bands, facts.band)) {
        return false;
    }
    if ((rule.asks & FlatRule::Modes) != 0) {
        if (facts.mode == NotYet) {
            facts.mode = CModeTable::ModeOf(spot.Comment, facts.kHz);
        }
        if (!Holds(rule.modes, facts.mode)) {
            return false;
        }
    }
    if ((rule.asks & FlatRule::DxCalls) != 0 && !AnyMatches(rule.dxFrom, rule.dxEnd, spot.DxCall)) {
        return false;
    }
    if ((rule.asks & FlatRule::Spotters) != 0 &&
        !AnyMatches(rule.spotterFrom, rule.spotterEnd, BareSpotter(spot.Spotter))) {
        return false;
    }
    if ((rule.asks & FlatRule::DxContinents) != 0) {
        if (facts.dxContinent == NotYet) {
            facts.dxContinent = ContinentOf(lastDx, m_countries, spot.DxCall);
        }
        if (!Holds(rule.dxContinents, facts.dxContinent)) {
            return false;
        }
    }
    if ((rule.asks & FlatRule::SpotterContinents) != 0) {
        if (facts.spotterContinent == NotYet) {
            facts.spotterContinent = ContinentOf(lastSpotter, m_countries, spot.Spotter);
        }
        if (!Holds(rule.spotterContinents, facts.spotterContinent)) {
            return false;
        }
    }
    return true;
}
