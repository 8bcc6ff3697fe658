#pragma once

#include "spots/SpotFields.h"

#include <array>
#include <string_view>

// What the filters of a line's destinations work out of its spot, kept for
// the line's trip through all of them: three ports that filter the same spot
// read its frequency, find its mode and look its calls up in a country file
// once between them, not once each (nor once per rule), and ports with the
// same rules take the first one's verdict.
//
// The source router resets it for every line it hands on; the first
// destination that needs a fact fills it. Each fact keeps the field it was
// read from and counts only for that very field, so a destination whose
// options changed a field works its own out rather than take a wrong one.
// Look-ups of calls are kept per country file, as ports may name different
// files; the file is an opaque key here, as is a filter's rule set.
struct SpotFacts {
    // A look-up of Calls not made yet.
    static constexpr int Unread = -2;

    // The kHz and band of `frequency`; kHz is -1 when it is no number.
    bool frequencyRead = false;
    std::string_view frequency;
    double kHz = -1.0;
    int band = -1;

    // The mode of `modeComment` at the frequency `modeFrequency`.
    bool modeRead = false;
    std::string_view modeComment;
    std::string_view modeFrequency;
    int mode = -1;

    struct Calls {
        const void* countryFile = nullptr;
        bool dxRead = false;
        std::string_view dx;
        int dxContinent = -1;
        // The spotter without a skimmer's or relay's mark, as looked up.
        bool spotterRead = false;
        std::string_view spotter;
        int spotterContinent = Unread;
        int spotterDxcc = Unread;
    };
    std::array<Calls, 2> calls{};

    // Whether the spot, with these fields, passes a filter of the rule set
    // numbered ruleSet.
    struct Verdict {
        int ruleSet = 0;
        bool passes = false;
        SpotFields fields;
    };
    std::array<Verdict, 2> verdicts{};
    // The places of verdicts in use, from the first.
    std::size_t verdictsKept = 0;

    // Set by the first filter that reads or keeps a fact.
    bool used = false;

    // Forgets every fact; what they held is not looked at again.
    void Reset() {
        if (!used) {
            return;
        }
        used = false;
        frequencyRead = false;
        modeRead = false;
        for (Calls& c : calls) {
            c.countryFile = nullptr;
        }
        verdictsKept = 0;
    }
};
