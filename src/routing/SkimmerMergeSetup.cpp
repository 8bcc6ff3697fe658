#include "routing/SkimmerMergeSetup.h"

#include "setup/SetupFile.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::string_view Key = "SkimmerMerge";
constexpr std::size_t FieldCount = 5;

struct Range {
    std::string_view name;
    int low;
    int high;
    bool hundredths = false;
};
constexpr Range DwellRange{"dwell", 1, 60};
constexpr Range WindowRange{"window", 10, 300, true};
constexpr Range MinimumRange{"minimum", 1, 9};
constexpr Range RespotRange{"re-spot", 1, 60};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool ToInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// "0.5", "1", "0.25" as hundredths; at most two decimals.
bool ToHundredths(std::string_view text, int& value) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view part = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    int units = 0;
    int fraction = 0;
    if (!std::all_of(whole.begin(), whole.end(), ascii::IsDigit) || !ToInt(whole, units) ||
        units > 1000 || part.size() > 2 ||
        (dot != std::string_view::npos && (part.empty() || !ToInt(part, fraction))) ||
        !std::all_of(part.begin(), part.end(), ascii::IsDigit)) {
        return false;
    }
    value = units * 100 + (part.size() == 1 ? fraction * 10 : fraction);
    return true;
}

std::string HundredthsText(int value) {
    std::string text = std::to_string(value / 100);
    if (value % 100 != 0) {
        text += '.';
        text += static_cast<char>('0' + value % 100 / 10);
        if (value % 10 != 0) {
            text += static_cast<char>('0' + value % 10);
        }
    }
    return text;
}

std::string ValueText(const Range& range, int value) {
    return range.hundredths ? HundredthsText(value) : std::to_string(value);
}

int Clamped(const Range& range, int value, const std::string& where,
            const CSkimmerMergeSetup::Report& report) {
    const int used = std::clamp(value, range.low, range.high);
    if (used != value) {
        report(std::string(Key) + where + ": " + std::string(range.name) + " " +
               ValueText(range, value) + " is out of range, using " + ValueText(range, used));
    }
    return used;
}

} // namespace

std::optional<SkimmerMergeSettings> CSkimmerMergeSetup::Read(CSetupFile& setup,
                                                             const Report& report) {
    if (!setup.IsNextKey(Key)) {
        return std::nullopt;
    }
    const std::string text = setup.GetString(Key);
    return Parse(text, " on line " + std::to_string(setup.LineNumber()), report);
}

void CSkimmerMergeSetup::Write(CSetupFile& setup,
                               const std::optional<SkimmerMergeSettings>& settings) {
    if (settings) {
        setup.PutString(Key, Format(*settings));
    }
}

std::optional<SkimmerMergeSettings>
CSkimmerMergeSetup::Parse(std::string_view text, const std::string& where, const Report& report) {
    std::array<std::string_view, FieldCount> fields;
    std::size_t count = 0;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        end = end == std::string_view::npos ? text.size() : end;
        if (count < FieldCount) {
            fields[count] = Trimmed(text.substr(start, end - start));
        }
        ++count;
        start = end + 1;
    }
    const auto refuse = [&](std::string_view reason) {
        report(std::string(Key) + where + " dropped, " + std::string(reason) + ": " +
               std::string(text));
        return std::nullopt;
    };
    if (count != FieldCount) {
        return refuse("five values expected");
    }
    SkimmerMergeSettings settings;
    if (!ToInt(fields[0], settings.dwellSeconds)) {
        return refuse("dwell seconds not a number");
    }
    if (!ToHundredths(fields[1], settings.windowHundredths)) {
        return refuse("window kHz not a number");
    }
    if (!ToInt(fields[2], settings.minimumSkimmers)) {
        return refuse("minimum skimmers not a number");
    }
    if (!ToInt(fields[3], settings.respotMinutes)) {
        return refuse("re-spot minutes not a number");
    }
    if (ascii::EqualsIgnoringCase(fields[4], "mark")) {
        settings.markBusted = true;
    } else if (!ascii::EqualsIgnoringCase(fields[4], "hold")) {
        return refuse("hold or mark expected");
    }
    settings.dwellSeconds = Clamped(DwellRange, settings.dwellSeconds, where, report);
    settings.windowHundredths = Clamped(WindowRange, settings.windowHundredths, where, report);
    settings.minimumSkimmers = Clamped(MinimumRange, settings.minimumSkimmers, where, report);
    settings.respotMinutes = Clamped(RespotRange, settings.respotMinutes, where, report);
    return settings;
}

std::string CSkimmerMergeSetup::Format(const SkimmerMergeSettings& settings) {
    return std::to_string(settings.dwellSeconds) + ',' + HundredthsText(settings.windowHundredths) +
           ',' + std::to_string(settings.minimumSkimmers) + ',' +
           std::to_string(settings.respotMinutes) + ',' + (settings.markBusted ? "mark" : "hold");
}
