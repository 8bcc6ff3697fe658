#include "spots/SkimmerComment.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::size_t MaxModeLength = 7;

// The blank-separated words of a comment, one at a time.
class CWords {
  public:
    explicit CWords(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& word) {
        while (m_pos < m_text.size() && m_text[m_pos] == ' ') {
            ++m_pos;
        }
        if (m_pos >= m_text.size()) {
            return false;
        }
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != ' ') {
            ++m_pos;
        }
        word = m_text.substr(start, m_pos - start);
        return true;
    }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool IsMode(std::string_view word) {
    return !word.empty() && word.size() <= MaxModeLength && ascii::IsLetter(word.front()) &&
           std::all_of(word.begin(), word.end(),
                       [](char c) { return ascii::IsLetter(c) || ascii::IsDigit(c); });
}

// The whole word as a number with an optional "-"; false for anything else.
bool ToNumber(std::string_view word, int& value) {
    if (word.empty() || word.size() > 4) {
        return false;
    }
    const char* end = word.data() + word.size();
    const auto result = std::from_chars(word.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool Is(std::string_view word, std::string_view expected) {
    return ascii::EqualsIgnoringCase(word, expected);
}

// "24 dB" (two words) or "24dB" (one); next holds the word after them.
bool TakeStrength(CWords& words, std::string_view first, int& strength) {
    if (first.size() > 2 && Is(first.substr(first.size() - 2), "dB")) {
        return ToNumber(first.substr(0, first.size() - 2), strength);
    }
    std::string_view unit;
    return ToNumber(first, strength) && words.Next(unit) && Is(unit, "dB");
}

SkimmerSpotType TypeOf(std::string_view word, CWords& words) {
    if (Is(word, "CQ")) {
        return SkimmerSpotType::Cq;
    }
    if (Is(word, "BEACON")) {
        return SkimmerSpotType::Beacon;
    }
    if (Is(word, "DX")) {
        return SkimmerSpotType::Dx;
    }
    std::string_view next;
    if (Is(word, "NCDXF") && words.Next(next) && Is(next, "B")) {
        return SkimmerSpotType::NcdxfBeacon;
    }
    return SkimmerSpotType::None;
}

} // namespace

bool ParseSkimmerComment(std::string_view comment, SkimmerComment& fields) {
    fields = SkimmerComment{};
    CWords words(comment);
    std::string_view mode;
    std::string_view word;
    int strength = 0;
    if (!words.Next(mode) || !IsMode(mode) || !words.Next(word) ||
        !TakeStrength(words, word, strength) || strength < SkimmerComment::MinStrength ||
        strength > SkimmerComment::MaxStrength) {
        return false;
    }
    fields.Mode = mode;
    fields.Strength = strength;
    while (words.Next(word)) {
        int speed = 0;
        std::string_view unit;
        if (fields.Speed == 0 && ToNumber(word, speed) && speed > 0 &&
            speed <= SkimmerComment::MaxSpeed) {
            if (words.Next(unit) && (Is(unit, "WPM") || Is(unit, "BPS"))) {
                fields.Speed = speed;
                fields.SpeedUnit = unit;
                continue;
            }
            word = unit;
        }
        if (fields.Type == SkimmerSpotType::None) {
            fields.Type = TypeOf(word, words);
        }
    }
    return true;
}

std::string_view SkimmerTypeText(SkimmerSpotType type) {
    switch (type) {
    case SkimmerSpotType::Cq:
        return "CQ";
    case SkimmerSpotType::Beacon:
        return "BEACON";
    case SkimmerSpotType::NcdxfBeacon:
        return "NCDXF B";
    case SkimmerSpotType::Dx:
        return "DX";
    case SkimmerSpotType::None:
        break;
    }
    return {};
}

bool IsSkimmerSpot(const SpotFields& spot) {
    return spot.StrippedMark == '#' || spot.Spotter.ends_with("-#");
}
