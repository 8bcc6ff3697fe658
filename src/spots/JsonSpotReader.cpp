#include "spots/JsonSpotReader.h"

#include "spots/SpotParser.h"
#include "text/AsciiText.h"

#include <charconv>

namespace {

// "2026-12-08T22:59:00Z" gives "2259"; false for any other shape.
bool TimeOfWhen(std::string_view when, std::string& time) {
    if (when.size() < 16 || when[10] != 'T' || when[13] != ':') {
        return false;
    }
    time.assign(when.substr(11, 2));
    time.append(when.substr(14, 2));
    for (char c : time) {
        if (!ascii::IsDigit(c)) {
            return false;
        }
    }
    return time < "2400" && time.substr(2) < "60";
}

void AssignUpper(std::string& out, std::string_view text) {
    out.assign(text);
    for (char& c : out) {
        c = ascii::Upper(c);
    }
}

// The frequency as the spot lines write it: the number's own text when it
// already reads "14025.2", else the value with one decimal.
std::string_view FrequencyText(std::string_view number, double kHz, std::string& out) {
    const bool plain = number.find('.') != std::string_view::npos &&
                       number.find_first_not_of("0123456789.") == std::string_view::npos;
    if (plain) {
        return number;
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, kHz, std::chars_format::fixed, 1);
    out.assign(text, result.ec == std::errc() ? result.ptr : text);
    return out;
}

} // namespace

void CJsonSpotReader::ClearExtras() {
    m_kHz = 0;
    m_when = {};
    m_mode = {};
    m_band = {};
    m_origin = {};
    m_hops = -1;
}

bool CJsonSpotReader::Read(std::string_view object, SpotFields& spot) {
    spot.Clear();
    ClearExtras();
    if (!m_json.Read(object)) {
        return false;
    }
    const auto spotter = m_json.Text("spotter");
    const auto spotted = m_json.Text("spotted");
    const auto when = m_json.Text("when");
    const CJsonReader::Member* frequency = m_json.Find("frequency");
    if (!spotter || !spotted || !when || frequency == nullptr ||
        frequency->kind != CJsonReader::Kind::Number || !m_json.Number("frequency", m_kHz) ||
        !TimeOfWhen(*when, m_time)) {
        ClearExtras();
        return false;
    }
    AssignUpper(m_spotter, *spotter);
    AssignUpper(m_dxCall, *spotted);
    spot.Spotter = m_spotter;
    spot.DxCall = m_dxCall;
    spot.Frequency = FrequencyText(frequency->value, m_kHz, m_frequency);
    spot.Comment = m_json.Text("message").value_or(std::string_view());
    spot.Time = m_time;
    if (!CSpotParser::ValidateSpot(spot)) {
        spot.Clear();
        ClearExtras();
        return false;
    }
    m_when = *when;
    m_mode = m_json.Text("mode").value_or(std::string_view());
    m_band = m_json.Text("band").value_or(std::string_view());
    m_origin = m_json.Text("origin").value_or(std::string_view());
    double hops = 0;
    if (m_json.Number("hops", hops) && hops >= 0 && hops <= 99) {
        m_hops = static_cast<int>(hops);
    }
    return true;
}
