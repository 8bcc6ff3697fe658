#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CSetupFile;
class CSpotFilter;

// The filter keys at the end of a router's section, both optional and
// written only when a port has them:
//
//   CountryFile=/usr/share/tlf/cty.dat
//   Filter=reject band=60m,30m mode=DIGI
//   Filter=accept dx=VK9*,3Y0* spotter-cont=EU,AF
//
// A rule that is not one is dropped, and one whose continents find no
// country file is kept unused; either is reported as a line for the port's
// window naming the rule and, from a setup, its line. A port whose accept
// rules all cannot be used passes no spot, and its window says so.
class CFilterKeys {
  public:
    using Report = std::function<void(std::string_view)>;

    static void ReadCountryFile(CSetupFile& setup, CSpotFilter& filter);
    static void ReadRules(CSetupFile& setup, CSpotFilter& filter, const Report& report);
    static void WriteCountryFile(CSetupFile& setup, const CSpotFilter& filter);
    static void WriteRules(CSetupFile& setup, const CSpotFilter& filter);
    // Replaces the filter's rules and country file, as the port setup does;
    // the same filter again is left as it is and says nothing twice.
    static void Replace(CSpotFilter& filter, const std::string& countryFile,
                        const std::vector<std::string>& rules, const Report& report);

  private:
    static void Add(CSpotFilter& filter, std::string_view text, const std::string& where,
                    const Report& report);
    static void ReportPassesNothing(const CSpotFilter& filter, const Report& report);
};
