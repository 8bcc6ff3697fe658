#include "filters/FilterRuleWords.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/ModeTable.h"

#include <string_view>

namespace {

// "a", "a and b", "a, b and c" (or with "or").
void AppendJoined(std::string& text, const std::vector<std::string>& items, std::string_view last) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += i + 1 == items.size() ? last : ", ";
        }
        text += items[i];
    }
}

void AppendPhrase(std::string& text, std::string_view lead, const std::vector<std::string>& items,
                  std::string_view last) {
    if (items.empty()) {
        return;
    }
    text += lead;
    AppendJoined(text, items, last);
}

} // namespace

std::string CFilterRuleWords::Describe(const FilterRule& rule) {
    std::string text = rule.accept ? "accept" : "reject";
    AppendPhrase(text, " ", rule.bands.Texts(&CBandTable::Spoken), " and ");
    AppendPhrase(text, " ", rule.modes.Texts(&CModeTable::Spoken), " and ");
    if (rule.skimmer != FilterRule::Skimmer::Any) {
        text += rule.skimmer == FilterRule::Skimmer::Yes ? " skimmer" : " human";
    }
    text += " spots";
    AppendPhrase(text, " of ", rule.dx, " or ");
    AppendPhrase(text, " of stations in ", rule.dxContinents.Texts(&CCountryFile::ContinentName),
                 " or ");
    AppendPhrase(text, " by ", rule.spotter, " or ");
    AppendPhrase(text, " spotted in ", rule.spotterContinents.Texts(&CCountryFile::ContinentName),
                 " or ");
    AppendPhrase(text, " from locator ", rule.spotterGrids, " or ");
    std::vector<std::string> dxccs;
    for (int dxcc : rule.spotterDxccs) {
        dxccs.push_back(std::to_string(dxcc));
    }
    AppendPhrase(text, " from DXCC entity ", dxccs, " or ");
    return text;
}
