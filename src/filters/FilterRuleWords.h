#pragma once

#include "filters/FilterRule.h"

#include <string>

// A filter rule in plain words, for the filter list of the port setup:
//
//   reject band=60m,30m mode=DIGI             reject 60 m and 30 m digital spots
//   accept dx=VK9*,3Y0* spotter-cont=EU,AF    accept spots of VK9* or 3Y0* spotted in EU or AF
//   accept spotter-grid=JO,FN42 spotter-dxcc=230
//                      accept spots from locator JO or FN42 from DXCC entity 230
class CFilterRuleWords {
  public:
    static std::string Describe(const FilterRule& rule);
};
