#include "SpotStream.h"

#include <array>
#include <cstdio>

namespace {

struct Band {
    int lowTenths;  // kHz × 10
    int highTenths; // kHz × 10, exclusive
    int weight;
};

// Where spots are found, weighted roughly as a busy day spreads them.
constexpr std::array<Band, 10> kBands{{{18000, 18400, 2},
                                       {35000, 38000, 5},
                                       {70000, 72000, 12},
                                       {101000, 101500, 5},
                                       {140000, 143500, 20},
                                       {180680, 181680, 6},
                                       {210000, 214500, 12},
                                       {248900, 249900, 4},
                                       {280000, 297000, 8},
                                       {500000, 505000, 2}}};

constexpr std::array<const char*, 40> kPrefixes{
    "K",  "W",  "N",  "AA", "KB", "WA", "VE", "DL", "DK", "DJ", "G",  "M",  "F",  "I",
    "EA", "OH", "SM", "OZ", "LA", "SP", "OK", "OM", "HA", "YO", "LZ", "UA", "UR", "JA",
    "JH", "VK", "ZL", "PY", "LU", "CE", "ZS", "4X", "9A", "S5", "VU", "BY"};

constexpr std::array<const char*, 8> kDxPrefixes{"EA8", "CT3", "KH6", "VP2E",
                                                 "FG",  "HB0", "SV9", "ZF"};

constexpr std::array<const char*, 10> kOperatorTexts{
    "CQ", "cq cq", "TNX QSO", "up 2", "599 TU", "QSX 14030", "", "pse QSL", "tnx fer QSO", "loud"};

constexpr std::array<const char*, 4> kSkimmerTexts{"CW 22 dB CQ", "CW 9 dB", "RTTY 15 dB",
                                                   "FT8 -12 dB"};

// Blanks up to the given column (nothing when the text is already there).
void PadTo(std::string& text, std::size_t column) {
    if (text.size() < column)
        text.append(column - text.size(), ' ');
}

} // namespace

CSpotStream::CSpotStream(std::uint64_t seed, double dupeShare)
    : m_random(seed), m_dupeShare(dupeShare) {}

std::string CSpotStream::MakeCall(bool allowPortable) {
    std::uniform_int_distribution<std::size_t> prefix(0, kPrefixes.size() - 1);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> suffixLength(1, 3);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> percent(0, 99);

    std::string call = kPrefixes[prefix(m_random)];
    call += static_cast<char>('0' + digit(m_random));
    const int n = suffixLength(m_random);
    for (int i = 0; i < n; ++i)
        call += static_cast<char>('A' + letter(m_random));
    if (!allowPortable)
        return call;
    const int roll = percent(m_random);
    if (roll < 5) {
        call += "/P";
    } else if (roll < 8) {
        std::uniform_int_distribution<std::size_t> dx(0, kDxPrefixes.size() - 1);
        call = std::string(kDxPrefixes[dx(m_random)]) + "/" + call;
    }
    return call; // at most 4 + 1 + 7 characters
}

std::string CSpotStream::MakeSpotter(bool& skimmer) {
    std::uniform_int_distribution<int> third(0, 2);
    skimmer = third(m_random) == 0;
    std::string call = MakeCall(false); // at most 6 characters
    if (skimmer)
        call += "-#";
    return call;
}

int CSpotStream::MakeFrequency() {
    int totalWeight = 0;
    for (const auto& b : kBands)
        totalWeight += b.weight;
    std::uniform_int_distribution<int> pick(0, totalWeight - 1);
    for (;;) {
        int w = pick(m_random);
        const Band* band = &kBands[0];
        for (const auto& b : kBands) {
            if (w < b.weight) {
                band = &b;
                break;
            }
            w -= b.weight;
        }
        std::uniform_int_distribution<int> tenths(band->lowTenths, band->highTenths - 1);
        const int f = tenths(m_random);
        if (m_recentFrequencies.count(f) == 0)
            return f;
    }
}

std::string CSpotStream::Comment(bool skimmer, std::size_t seq) {
    std::string text;
    if (skimmer) {
        std::uniform_int_distribution<std::size_t> pick(0, kSkimmerTexts.size() - 1);
        text = kSkimmerTexts[pick(m_random)];
    } else {
        std::uniform_int_distribution<std::size_t> pick(0, kOperatorTexts.size() - 1);
        text = kOperatorTexts[pick(m_random)];
    }
    if (!text.empty())
        text += ' ';
    // At most 15 + 1 + 8 = 24 characters, so a forwarded comment keeps its
    // number when the loop mark is appended.
    return text + "#" + std::to_string(seq);
}

void CSpotStream::AppendLine(const std::string& spotter, int frequencyTenths,
                             const std::string& call, const std::string& comment, std::size_t seq) {
    char frequency[16];
    std::snprintf(frequency, sizeof(frequency), "%d.%d", frequencyTenths / 10,
                  frequencyTenths % 10);
    const std::string freq = frequency;

    std::string line = "DX de " + spotter + ":";
    PadTo(line, 24 - freq.size());
    line += freq; // ends at column 23
    line += "  ";
    line += call;
    PadTo(line, 39);
    line += comment;
    PadTo(line, 70);
    const std::size_t minutes = (12 * 60 + seq / 500) % (24 * 60);
    char time[8];
    std::snprintf(time, sizeof(time), "%02zu%02zuZ", minutes / 60, minutes % 60);
    line += time;
    line += "\r\n";
    m_text += line;
    m_lineEnds.push_back(m_text.size());
}

void CSpotStream::RememberKey(Key key) {
    m_recentFrequencies[key.frequencyTenths]++;
    m_frequencyOrder.push_back(key.frequencyTenths);
    if (m_frequencyOrder.size() > 2 * kDupeWindow) {
        const int old = m_frequencyOrder.front();
        m_frequencyOrder.pop_front();
        if (--m_recentFrequencies[old] == 0)
            m_recentFrequencies.erase(old);
    }
    m_keys.push_back(std::move(key));
    if (m_keys.size() > kDupeWindow)
        m_keys.pop_front();
}

void CSpotStream::Generate(std::size_t count) {
    m_text.clear();
    m_text.reserve(count * 77);
    m_lineEnds.clear();
    m_lineEnds.reserve(count);
    m_dupe.assign(count, 0);
    m_dupeCount = 0;
    std::uniform_real_distribution<double> chance(0.0, 1.0);

    for (std::size_t seq = 0; seq < count; ++seq) {
        bool skimmer = false;
        const std::string spotter = MakeSpotter(skimmer);
        const std::string comment = Comment(skimmer, seq);
        if (!m_keys.empty() && chance(m_random) < m_dupeShare) {
            std::uniform_int_distribution<std::size_t> pick(0, m_keys.size() - 1);
            const Key& key = m_keys[pick(m_random)];
            AppendLine(spotter, key.frequencyTenths, key.call, comment, seq);
            m_dupe[seq] = 1;
            ++m_dupeCount;
            continue;
        }
        Key key{MakeFrequency(), MakeCall(true)};
        AppendLine(spotter, key.frequencyTenths, key.call, comment, seq);
        RememberKey(std::move(key));
    }
}
