#include "filters/FilterKeys.h"

#include "filters/SpotFilter.h"
#include "setup/SetupFile.h"

void CFilterKeys::ReadCountryFile(CSetupFile& setup, CSpotFilter& filter) {
    if (setup.IsNextKey("CountryFile")) {
        filter.SetCountryFile(setup.GetString("CountryFile"));
    }
}

void CFilterKeys::ReadRules(CSetupFile& setup, CSpotFilter& filter, const Report& report) {
    while (setup.IsNextKey("Filter")) {
        const std::string text = setup.GetString("Filter");
        Add(filter, text, " on line " + std::to_string(setup.LineNumber()), report);
    }
    ReportPassesNothing(filter, report);
}

void CFilterKeys::WriteCountryFile(CSetupFile& setup, const CSpotFilter& filter) {
    if (!filter.CountryFile().empty()) {
        setup.PutString("CountryFile", filter.CountryFile());
    }
}

void CFilterKeys::WriteRules(CSetupFile& setup, const CSpotFilter& filter) {
    for (const CSpotFilter::Rule& rule : filter.Rules()) {
        setup.PutString("Filter", rule.text);
    }
}

void CFilterKeys::Replace(CSpotFilter& filter, const std::string& countryFile,
                          const std::vector<std::string>& rules, const Report& report) {
    bool same = countryFile == filter.CountryFile() && rules.size() == filter.Rules().size();
    for (std::size_t i = 0; same && i < rules.size(); ++i) {
        same = rules[i] == filter.Rules()[i].text;
    }
    if (same) {
        return;
    }
    filter.Clear();
    filter.SetCountryFile(countryFile);
    for (const std::string& text : rules) {
        Add(filter, text, "", report);
    }
    ReportPassesNothing(filter, report);
}

void CFilterKeys::ReportPassesNothing(const CSpotFilter& filter, const Report& report) {
    if (filter.PassesNothing()) {
        report("No spot passes this port until one of its accept rules can be used");
    }
}

void CFilterKeys::Add(CSpotFilter& filter, std::string_view text, const std::string& where,
                      const Report& report) {
    std::string reason;
    switch (filter.Add(text, reason)) {
    case CSpotFilter::Added::Used:
        return;
    case CSpotFilter::Added::NotUsed:
        report("Filter" + where + " not used, " + reason + ": " + std::string(text));
        return;
    case CSpotFilter::Added::Bad:
        report("Filter" + where + " dropped, " + reason + ": " + std::string(text));
        return;
    }
}
