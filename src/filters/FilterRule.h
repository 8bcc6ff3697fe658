#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Table numbers a rule names for one criterion (bands, modes, continents),
// in the order the rule gave them; empty when the rule does not name any.
struct FilterChoice {
    std::vector<int> values;
    std::uint32_t mask = 0;

    void Add(int value) {
        values.push_back(value);
        mask |= 1u << value;
    }
    bool IsSet() const { return !values.empty(); }
    // False for -1 (no band, mode or continent known).
    bool Holds(int value) const { return value >= 0 && ((mask >> value) & 1u) != 0; }
    // The values by a table's naming function, in order.
    std::vector<std::string> Texts(std::string_view (*name)(int)) const {
        std::vector<std::string> texts;
        for (int value : values) {
            texts.emplace_back(name(value));
        }
        return texts;
    }
};

// One accept or reject rule of a port's spot filter: a spot matches when it
// meets every criterion the rule names.
//
//   accept band=160m,80m mode=CW skimmer=yes spotter-cont=EU
//   accept spotter-grid=JO,JN5,FN42 spotter-dxcc=230,291
struct FilterRule {
    enum class Skimmer { Any, Yes, No };

    bool accept = true;
    FilterChoice bands;          // CBandTable numbers
    FilterChoice modes;          // CModeTable numbers
    std::vector<std::string> dx; // call patterns, upper case
    std::vector<std::string> spotter;
    Skimmer skimmer = Skimmer::Any;
    FilterChoice dxContinents; // CCountryFile continent numbers
    FilterChoice spotterContinents;
    // Locator prefixes of 2 to 6 characters, in canonical case ("JO",
    // "FN42", "JO31ab").
    std::vector<std::string> spotterGrids;
    std::vector<int> spotterDxccs; // ADIF entity numbers, 1 to 999

    bool NeedsCountryFile() const { return dxContinents.IsSet() || spotterContinents.IsSet(); }
};
