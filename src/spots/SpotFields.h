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

    void Clear() { *this = SpotFields{}; }
};
