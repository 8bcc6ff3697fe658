#include "filters/ModeTable.h"

#include "filters/BandTable.h"
#include "text/AsciiText.h"

#include <array>

namespace {

struct ModeWord {
    std::string_view word;
    int mode;
};

constexpr std::array<ModeWord, 31> Words = {{
    {"CW", CModeTable::Cw},       {"RTTY", CModeTable::Digi},      {"PSK", CModeTable::Digi},
    {"PSK31", CModeTable::Digi},  {"PSK63", CModeTable::Digi},     {"BPSK", CModeTable::Digi},
    {"FT8", CModeTable::Digi},    {"FT4", CModeTable::Digi},       {"JS8", CModeTable::Digi},
    {"JT65", CModeTable::Digi},   {"JT9", CModeTable::Digi},       {"Q65", CModeTable::Digi},
    {"MSK144", CModeTable::Digi}, {"FSK441", CModeTable::Digi},    {"WSPR", CModeTable::Digi},
    {"OLIVIA", CModeTable::Digi}, {"CONTESTIA", CModeTable::Digi}, {"MFSK", CModeTable::Digi},
    {"HELL", CModeTable::Digi},   {"THOR", CModeTable::Digi},      {"VARA", CModeTable::Digi},
    {"PACKET", CModeTable::Digi}, {"DIGI", CModeTable::Digi},      {"DATA", CModeTable::Digi},
    {"SSB", CModeTable::Ssb},     {"USB", CModeTable::Ssb},        {"LSB", CModeTable::Ssb},
    {"FM", CModeTable::Ssb},      {"AM", CModeTable::Ssb},         {"PHONE", CModeTable::Ssb},
    {"SSTV", CModeTable::Ssb},
}};

// Band plan segments by their low edge. A segment runs up to the next one's
// low edge or, the last of its band, to the band's high edge (included); the
// first of each band starts at the band's low edge.
struct Segment {
    double low;
    int mode;
};

constexpr int C = CModeTable::Cw;
constexpr int D = CModeTable::Digi;
constexpr int S = CModeTable::Ssb;

constexpr std::array<Segment, 47> Segments = {{
    {135.7, C},    {472.0, C},    {1800.0, C},    {1838.0, D},    {1843.0, S},    {3500.0, C},
    {3570.0, D},   {3600.0, S},   {5060.0, C},    {5354.0, S},    {7000.0, C},    {7040.0, D},
    {7060.0, S},   {7074.0, D},   {7080.0, S},    {10100.0, C},   {10130.0, D},   {14000.0, C},
    {14070.0, D},  {14100.0, S},  {18068.0, C},   {18095.0, D},   {18110.0, S},   {21000.0, C},
    {21070.0, D},  {21150.0, S},  {24890.0, C},   {24915.0, D},   {24930.0, S},   {28000.0, C},
    {28070.0, D},  {28300.0, S},  {50000.0, C},   {50100.0, S},   {50300.0, D},   {50350.0, S},
    {70000.0, C},  {70100.0, S},  {144000.0, C},  {144150.0, D},  {144180.0, S},  {420000.0, S},
    {432000.0, C}, {432100.0, S}, {1240000.0, S}, {1296000.0, C}, {1296150.0, S},
}};

bool IsWordChar(char c) {
    return ascii::IsLetter(c) || ascii::IsDigit(c);
}

// The entry of the comment's first mode word, or null.
const ModeWord* FirstModeWord(std::string_view comment) {
    std::size_t i = 0;
    while (i < comment.size()) {
        while (i < comment.size() && !IsWordChar(comment[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < comment.size() && IsWordChar(comment[i])) {
            ++i;
        }
        const std::string_view word = comment.substr(start, i - start);
        for (const ModeWord& w : Words) {
            if (ascii::EqualsIgnoringCase(word, w.word)) {
                return &w;
            }
        }
    }
    return nullptr;
}

} // namespace

int CModeTable::ModeOf(std::string_view comment, double kHz) {
    const int mode = ModeOfComment(comment);
    return mode != Unknown ? mode : ModeOfSegment(kHz);
}

int CModeTable::ModeOfComment(std::string_view comment) {
    const ModeWord* word = FirstModeWord(comment);
    return word != nullptr ? word->mode : Unknown;
}

std::string_view CModeTable::ModeWordOf(std::string_view comment) {
    const ModeWord* word = FirstModeWord(comment);
    return word != nullptr ? word->word : std::string_view();
}

int CModeTable::ModeOfSegment(double kHz) {
    const int band = CBandTable::BandOf(kHz);
    if (band == CBandTable::Other) {
        return Unknown;
    }
    const double bandLow = CBandTable::LowEdge(band);
    int mode = Unknown;
    for (const Segment& s : Segments) {
        if (s.low > kHz) {
            break;
        }
        if (s.low >= bandLow) {
            mode = s.mode;
        }
    }
    return mode;
}

int CModeTable::Find(std::string_view name) {
    return ascii::FindNamed(name, Count, &Name);
}

std::string_view CModeTable::Name(int mode) {
    constexpr std::array<std::string_view, Count> Names = {"CW", "DIGI", "SSB"};
    return mode >= 0 && mode < Count ? Names[static_cast<std::size_t>(mode)] : "";
}

std::string_view CModeTable::Spoken(int mode) {
    constexpr std::array<std::string_view, Count> Adjectives = {"CW", "digital", "SSB"};
    return mode >= 0 && mode < Count ? Adjectives[static_cast<std::size_t>(mode)] : "";
}
