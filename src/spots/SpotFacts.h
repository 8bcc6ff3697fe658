#pragma once

#include "spots/SpotFields.h"

#include <array>
#include <cstdint>
#include <string_view>

// What the filters of a line's destinations work out of its spot, kept for
// the line's trip through all of them: three ports that filter the same spot
// read its frequency, find its mode and look its calls up in a country file
// once between them, not once each (nor once per rule), and ports with the
// same rules take the first one's verdict.
//
// The source router resets it for every line it hands on; the first
// destination that needs a fact fills it. The facts hold for the fields
// they were worked out of (Of()), and a destination tests its own fields
// against those once per spot, unless its router made them of the very
// spot the facts are of; one whose options changed a field that a filter
// reads starts the facts anew from its own. Look-ups of calls are kept
// per country file, as ports may name different files; the file is an
// opaque key here, as is a filter's rule set.
struct SpotFacts {
    // A fact not worked out yet.
    static constexpr int Unread = -2;

    SpotFacts() = default;
    // of may point into the object itself.
    SpotFacts(const SpotFacts&) = delete;
    SpotFacts& operator=(const SpotFacts&) = delete;

    // The fields the facts are of: those of the spot being routed, or
    // `fields`, a copy of those the first destination saw when it could not
    // name them; null while the facts hold nothing (Reset).
    const SpotFields* of = nullptr;
    SpotFields fields;
    const SpotFields& Of() const { return *of; }
    // The spotter without a skimmer's "-#" or a relay's "-@", and whether
    // a skimmer spotted it: the same for a destination that strips the
    // mark and one that does not.
    std::string_view spotter;
    bool skimmer = false;
    // The first and last characters of the DX call and of the spotter, in
    // that order; 0 for an empty call.
    std::array<unsigned char, 4> ends{};

    // The band and kHz of the frequency (kHz -1 when it is no number).
    int band = Unread;
    double kHz = -1.0;
    // The mode from the comment at that frequency.
    int mode = Unread;

    struct Calls {
        const void* countryFile = nullptr;
        // The continents the calls may have by their first characters, as
        // bits (0 until read).
        std::uint8_t dxPlaces = 0;
        std::uint8_t spotterPlaces = 0;
        int dxContinent = Unread;
        int spotterContinent = Unread;
        int spotterDxcc = Unread;
    };
    std::array<Calls, 2> calls{};

    // Whether the spot passes a filter of the rule set numbered ruleSet.
    struct Verdict {
        int ruleSet = 0;
        bool passes = false;
    };
    std::array<Verdict, 2> verdicts{};
    // The places of verdicts in use, from the first.
    std::size_t verdictsKept = 0;

    // Forgets every fact; what they held is not looked at again.
    void Reset() { of = nullptr; }
};
