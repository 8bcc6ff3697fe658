#include "filters/FilterRuleParser.h"

#include "filters/BandTable.h"
#include "filters/CallPattern.h"
#include "filters/CountryFile.h"
#include "filters/ModeTable.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

enum Criterion {
    Band,
    Mode,
    Dx,
    Spotter,
    Skimmer,
    DxCont,
    SpotterCont,
    SpotterGrid,
    SpotterDxcc,
    CriterionCount
};

constexpr std::array<std::string_view, CriterionCount> CriterionNames = {
    "band",    "mode",         "dx",           "spotter",     "skimmer",
    "dx-cont", "spotter-cont", "spotter-grid", "spotter-dxcc"};

constexpr std::size_t MaxLocator = 6;
constexpr int MaxDxcc = 999;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = ascii::Upper(c);
    }
    return upper;
}

// A Maidenhead locator or its first 2 to 5 characters, in its canonical
// case: field letters A-R and square digits upper, subsquare letters a-x
// lower ("JO", "FN42", "JO31ab"). False when text is none.
bool CanonicalLocator(std::string_view text, std::string& locator) {
    if (text.size() < 2 || text.size() > MaxLocator) {
        return false;
    }
    locator.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char upper = ascii::Upper(text[i]);
        const bool ok = i < 2   ? upper >= 'A' && upper <= 'R'
                        : i < 4 ? ascii::IsDigit(upper)
                                : upper >= 'A' && upper <= 'X';
        if (!ok) {
            return false;
        }
        locator += i < 4 ? upper : static_cast<char>(upper - 'A' + 'a');
    }
    return true;
}

// An ADIF entity number, 1 to 999 (leading zeros allowed); 0 when text is none.
int DxccNumber(std::string_view text) {
    if (text.empty() || text.size() > 3) {
        return 0;
    }
    int number = 0;
    for (char c : text) {
        if (!ascii::IsDigit(c)) {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number <= MaxDxcc ? number : 0;
}

// Adds the table number of value to choice; false with the reason when the
// table has no such name.
bool AddChoice(FilterChoice& choice, int (*find)(std::string_view), std::string_view what,
               std::string_view value, std::string& error) {
    const int number = find(value);
    if (number < 0) {
        error = "unknown " + std::string(what) + " " + Quoted(value);
        return false;
    }
    choice.Add(number);
    return true;
}

bool AddValue(FilterRule& rule, int criterion, std::string_view value, std::string& error) {
    switch (criterion) {
    case Band:
        return AddChoice(rule.bands, &CBandTable::Find, "band", value, error);
    case Mode:
        return AddChoice(rule.modes, &CModeTable::Find, "mode", value, error);
    case Dx:
    case Spotter:
        if (!CCallPattern::IsValid(value)) {
            error = "bad call pattern " + Quoted(value);
            return false;
        }
        (criterion == Dx ? rule.dx : rule.spotter).push_back(Upper(value));
        return true;
    case Skimmer:
        if (rule.skimmer != FilterRule::Skimmer::Any ||
            !(ascii::EqualsIgnoringCase(value, "yes") || ascii::EqualsIgnoringCase(value, "no"))) {
            error = "skimmer is yes or no";
            return false;
        }
        rule.skimmer = ascii::EqualsIgnoringCase(value, "yes") ? FilterRule::Skimmer::Yes
                                                               : FilterRule::Skimmer::No;
        return true;
    case SpotterGrid: {
        std::string locator;
        if (!CanonicalLocator(value, locator)) {
            error = "bad locator " + Quoted(value);
            error += " (2 to 6 characters of a locator, JO31ab)";
            return false;
        }
        rule.spotterGrids.push_back(std::move(locator));
        return true;
    }
    case SpotterDxcc: {
        const int number = DxccNumber(value);
        if (number == 0) {
            error = "bad DXCC entity " + Quoted(value);
            error += " (a number from 1 to 999)";
            return false;
        }
        rule.spotterDxccs.push_back(number);
        return true;
    }
    default:
        return AddChoice(criterion == DxCont ? rule.dxContinents : rule.spotterContinents,
                         &CCountryFile::FindContinent, "continent", value, error);
    }
}

void AppendList(std::string& text, std::string_view name, const std::vector<std::string>& values) {
    if (values.empty()) {
        return;
    }
    text += ' ';
    text += name;
    char separator = '=';
    for (const std::string& value : values) {
        text += separator;
        text += value;
        separator = ',';
    }
}

void AppendNumbers(std::string& text, std::string_view name, const std::vector<int>& values) {
    std::vector<std::string> texts;
    for (int value : values) {
        texts.push_back(std::to_string(value));
    }
    AppendList(text, name, texts);
}

} // namespace

bool CFilterRuleParser::Parse(std::string_view text, FilterRule& rule, std::string& error) {
    rule = FilterRule{};
    if (text.size() > MaxText) {
        error = "longer than " + std::to_string(MaxText) + " characters";
        return false;
    }
    std::array<bool, CriterionCount> seen{};
    bool first = true;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        const std::string_view word = text.substr(start, i - start);
        if (first) {
            if (!ascii::EqualsIgnoringCase(word, "accept") &&
                !ascii::EqualsIgnoringCase(word, "reject")) {
                error = Quoted(word) + ": \"accept\" or \"reject\" expected";
                return false;
            }
            rule.accept = ascii::EqualsIgnoringCase(word, "accept");
            first = false;
            continue;
        }
        const std::size_t eq = word.find('=');
        const std::string_view name = word.substr(0, eq);
        int criterion = 0;
        while (
            criterion < CriterionCount &&
            !ascii::EqualsIgnoringCase(name, CriterionNames[static_cast<std::size_t>(criterion)])) {
            ++criterion;
        }
        if (criterion == CriterionCount || eq == std::string_view::npos) {
            error = Quoted(word) +
                    " is not a criterion (band, mode, dx, spotter, skimmer, dx-cont, spotter-cont, "
                    "spotter-grid, spotter-dxcc)";
            return false;
        }
        if (seen[static_cast<std::size_t>(criterion)]) {
            error = std::string(name) + " given twice";
            return false;
        }
        seen[static_cast<std::size_t>(criterion)] = true;
        std::string_view values = word.substr(eq + 1);
        while (true) {
            const std::size_t comma = values.find(',');
            const std::string_view value = values.substr(0, comma);
            if (value.empty()) {
                error = Quoted(word) + " lacks a value";
                return false;
            }
            if (!AddValue(rule, criterion, value, error)) {
                return false;
            }
            if (comma == std::string_view::npos) {
                break;
            }
            values.remove_prefix(comma + 1);
        }
    }
    if (first) {
        error = "empty rule";
        return false;
    }
    if (std::none_of(seen.begin(), seen.end(), [](bool named) { return named; })) {
        // Such a rule would drop or pass every spot without a word.
        error = rule.accept ? "\"accept\" alone would pass every spot; name a criterion"
                            : "\"reject\" alone would drop every spot; name a criterion";
        return false;
    }
    return true;
}

std::string CFilterRuleParser::Canonical(const FilterRule& rule) {
    std::string text = rule.accept ? "accept" : "reject";
    AppendList(text, "band", rule.bands.Texts(&CBandTable::Name));
    AppendList(text, "mode", rule.modes.Texts(&CModeTable::Name));
    AppendList(text, "dx", rule.dx);
    AppendList(text, "spotter", rule.spotter);
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        text += rule.skimmer == FilterRule::Skimmer::Yes ? " skimmer=yes" : " skimmer=no";
    }
    AppendList(text, "dx-cont", rule.dxContinents.Texts(&CCountryFile::ContinentName));
    AppendList(text, "spotter-cont", rule.spotterContinents.Texts(&CCountryFile::ContinentName));
    AppendList(text, "spotter-grid", rule.spotterGrids);
    AppendNumbers(text, "spotter-dxcc", rule.spotterDxccs);
    return text;
}
