// Any bytes as the text of a filter rule: refused with a reason, or parsed to
// a canonical text that parses to itself, described in words, and matched
// against a spot made of the same bytes.
#include "filters/FilterRuleParser.h"
#include "filters/FilterRuleWords.h"
#include "filters/SpotFilter.h"
#include "spots/SpotFields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FilterRule rule;
    std::string error;
    if (!CFilterRuleParser::Parse(text, rule, error)) {
        if (error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const std::string canonical = CFilterRuleParser::Canonical(rule);
    FilterRule again;
    if (!CFilterRuleParser::Parse(canonical, again, error) ||
        CFilterRuleParser::Canonical(again) != canonical) {
        __builtin_trap();
    }
    (void)CFilterRuleWords::Describe(rule);

    CSpotFilter filter;
    filter.SetCountryFile("/nonexistent/cty.dat");
    std::string reason;
    filter.Add(text, reason);
    SpotFields spot;
    const std::size_t third = size / 3;
    spot.Spotter = text.substr(0, third);
    spot.Frequency = text.substr(third, third);
    spot.DxCall = text.substr(2 * third);
    spot.Comment = text;
    (void)filter.Passes(spot);
    return 0;
}
