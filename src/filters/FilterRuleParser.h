#pragma once

#include "filters/FilterRule.h"

#include <string>
#include <string_view>

// Reads the text of a filter rule, as typed or after "Filter=" in a setup:
//
//   reject band=60m,30m mode=DIGI
//   accept dx=VK9*,3Y0* spotter-cont=EU,AF
//
//   accept spotter-grid=JO,JN5,FN42 spotter-dxcc=230
//
// An action, then criteria separated by blanks, each at most once, in any
// order: band (2200m .. 23cm, other), mode (CW, DIGI, SSB), dx and spotter
// (call patterns), skimmer (yes, no), dx-cont and spotter-cont (AF, AN, AS,
// EU, NA, OC, SA), spotter-grid (locator prefixes of 2 to 6 characters),
// spotter-dxcc (ADIF entity numbers, 1 to 999). Words and values are read in
// either case.
class CFilterRuleParser {
  public:
    // A setup line holds at most 255 characters, "Filter=" included.
    static constexpr std::size_t MaxText = 248;

    // False with the reason when the text is not a rule.
    static bool Parse(std::string_view text, FilterRule& rule, std::string& error);
    // The rule in its canonical text: lower-case action and bands, upper-case
    // modes, calls and continents, locators as "JO31ab", criteria in the order of the list above,
    // values in the rule's order. Parse of a canonical text gives it back.
    static std::string Canonical(const FilterRule& rule);
};
