#include "routing/JsonSpotWriter.h"

#include "filters/BandTable.h"
#include "filters/ModeTable.h"
#include "text/AsciiText.h"
#include "text/JsonReader.h"
#include "text/JsonText.h"

#include <charconv>
#include <cstdint>

namespace {

constexpr std::int64_t SecondsADay = 86400;

// The civil date of a day count since 1970-01-01 (proleptic Gregorian).
CivilDate DateOfDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    date.month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

void AppendDigits(std::string& out, std::int64_t value, int width) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    for (auto n = result.ptr - text; n < width; ++n) {
        out += '0';
    }
    out.append(text, result.ptr);
}

// "1234" as minutes of the day; -1 for anything else.
int MinutesOf(std::string_view time) {
    if (time.size() < 4 || !ascii::IsDigit(time[0]) || !ascii::IsDigit(time[1]) ||
        !ascii::IsDigit(time[2]) || !ascii::IsDigit(time[3])) {
        return -1;
    }
    const int hours = (time[0] - '0') * 10 + (time[1] - '0');
    const int minutes = (time[2] - '0') * 10 + (time[3] - '0');
    return hours < 24 && minutes < 60 ? hours * 60 + minutes : -1;
}

void AppendKey(std::string& out, std::string_view key) {
    out += ",\"";
    out += key;
    out += "\":";
}

} // namespace

CJsonSpotWriter::CJsonSpotWriter(const IClock& clock) : m_clock(clock) {}

const std::string& CJsonSpotWriter::Format(const SpotFields& spot, std::string_view origin,
                                           int hops) {
    m_text.assign("{\"spotter\":");
    AppendJsonString(m_text, spot.Spotter);
    AppendKey(m_text, "spotted");
    AppendJsonString(m_text, spot.DxCall);
    AppendKey(m_text, "frequency");
    double kHz = 0;
    const bool hasKhz = CBandTable::ParseKhz(spot.Frequency, kHz);
    if (CJsonReader::IsNumber(spot.Frequency)) {
        m_text += spot.Frequency;
    } else {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, hasKhz ? kHz : 0.0,
                                          std::chars_format::fixed, 1);
        m_text.append(text, result.ptr);
    }
    AppendKey(m_text, "message");
    AppendJsonString(m_text, spot.Comment);
    AppendKey(m_text, "when");
    AppendWhen(spot.Time);
    const std::string_view mode = CModeTable::ModeWordOf(spot.Comment);
    if (!mode.empty()) {
        AppendKey(m_text, "mode");
        AppendJsonString(m_text, mode);
    }
    const int band = hasKhz ? CBandTable::BandOf(kHz) : CBandTable::Other;
    if (band != CBandTable::Other) {
        AppendKey(m_text, "band");
        AppendJsonString(m_text, CBandTable::Name(band));
    }
    if (!origin.empty()) {
        AppendKey(m_text, "origin");
        AppendJsonString(m_text, origin);
    }
    if (hops >= 0) {
        AppendKey(m_text, "hops");
        AppendDigits(m_text, hops, 1);
    }
    m_text += '}';
    return m_text;
}

void CJsonSpotWriter::AppendWhen(std::string_view time) {
    const std::int64_t now = m_clock.NowSeconds();
    const std::int64_t today = now - ((now % SecondsADay) + SecondsADay) % SecondsADay;
    const int minutes = MinutesOf(time);
    std::int64_t when = minutes < 0 ? now - ((now % 60) + 60) % 60 : today + minutes * 60;
    if (when > now + 3600) {
        when -= SecondsADay;
    }
    const std::int64_t day = when / SecondsADay - (when % SecondsADay < 0 ? 1 : 0);
    const std::int64_t second = when - day * SecondsADay;
    const CivilDate date = DateOfDays(day);
    m_text += '"';
    AppendDigits(m_text, date.year, 4);
    m_text += '-';
    AppendDigits(m_text, date.month, 2);
    m_text += '-';
    AppendDigits(m_text, date.day, 2);
    m_text += 'T';
    AppendDigits(m_text, second / 3600, 2);
    m_text += ':';
    AppendDigits(m_text, second / 60 % 60, 2);
    m_text += ':';
    AppendDigits(m_text, second % 60, 2);
    m_text += "Z\"";
}
