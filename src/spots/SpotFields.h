#pragma once

#include <string_view>

// The five fields of a parsed spot. They view the parser's own buffer and stay
// valid until that parser parses the next line.
struct SpotFields {
    std::string_view Spotter;
    std::string_view Frequency;
    std::string_view DxCall;
    std::string_view Comment;
    std::string_view Time;
    // "#" or "@" when the strip option took "-#" or "-@" off Spotter, so a
    // skimmer's spot is still known as one.
    char StrippedMark = '\0';
    // What the source itself reported of the spotter, where it reports more
    // than a call (a reception report carries the receiver's locator and
    // country): the Maidenhead locator ("JO31", "FN42hn"; empty when not
    // reported), the ADIF entity number of its country (0 when not
    // reported) and its continent as CCountryFile numbers continents (-1
    // when not reported). Filters prefer these to what the call says.
    std::string_view SpotterGrid{};
    int SpotterDxcc = 0;
    int SpotterContinent = -1;

    void Clear() { *this = SpotFields{}; }
};
