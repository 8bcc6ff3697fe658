#pragma once

#include "filters/FilterRule.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CCountryFile;
struct SpotFields;

// The spot filter of a port: its rules in order and the country file that
// the continent criteria use. A spot passes when it matches no reject rule
// and, when the filter has accept rules, at least one of them.
//
// A rule that needs a country file when none can be read is kept (so a
// setup saves it back) but not used; the filter works with its other rules.
// Such an accept rule still counts as one that matches nothing, so that a
// port whose only accept rule cannot be used passes no spot instead of all.
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

    bool Passes(const SpotFields& spot) const;
    bool HasAcceptRule() const { return m_accepts > 0; }
    // There are accept rules, and none can be used.
    bool PassesNothing() const { return m_accepts > 0 && m_usedAccepts == 0; }

  private:
    struct Facts;
    bool Matches(const FilterRule& rule, const SpotFields& spot, Facts& facts) const;

    std::vector<Rule> m_rules;
    std::string m_countryPath;
    std::shared_ptr<const CCountryFile> m_countries;
    bool m_countryErrorShown = false;
    int m_used = 0;
    int m_accepts = 0;
    int m_usedAccepts = 0;
};
