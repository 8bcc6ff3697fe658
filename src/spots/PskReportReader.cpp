#include "spots/PskReportReader.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <cmath>

namespace {

// Calls in reports are at most a dozen characters or so; portable and
// special-event calls run a little longer.
constexpr std::size_t LongestCall = 15;
constexpr std::size_t LongestWord = 16;

// A call of letters, digits and "/", in capitals; false for anything else.
bool ReadCall(std::string_view text, std::string& call) {
    if (text.size() < 3 || text.size() > LongestCall) {
        return false;
    }
    call.clear();
    for (const char c : text) {
        if (!ascii::IsLetter(c) && !ascii::IsDigit(c) && c != '/') {
            return false;
        }
        call += ascii::Upper(c);
    }
    return std::any_of(call.begin(), call.end(), [](char c) { return ascii::IsDigit(c); });
}

// A short word of letters, digits and "-" (mode, band, locator); empty
// when the member is absent or not such a word.
std::string_view Word(const CJsonReader& json, std::string_view name) {
    const std::optional<std::string_view> text = json.Text(name);
    if (!text || text->size() > LongestWord || !std::all_of(text->begin(), text->end(), [](char c) {
            return ascii::IsLetter(c) || ascii::IsDigit(c) || c == '-';
        })) {
        return {};
    }
    return *text;
}

bool WholeNumber(const CJsonReader& json, std::string_view name, double low, double high,
                 double& value) {
    return json.Number(name, value) && std::isfinite(value) && value >= low && value <= high &&
           value == std::floor(value);
}

} // namespace

std::string_view PskRefusalText(PskRefusal refusal) {
    switch (refusal) {
    case PskRefusal::NotJson:
        return "not JSON";
    case PskRefusal::Shape:
        return "not a report";
    case PskRefusal::Frequency:
        return "frequency out of range";
    case PskRefusal::None:
        break;
    }
    return "";
}

PskRefusal CPskReportReader::Read(std::string_view text, PskReport& report) {
    report = PskReport{};
    if (!m_json.Read(text)) {
        return PskRefusal::NotJson;
    }
    const std::optional<std::string_view> sender = m_json.Text("sc");
    const std::optional<std::string_view> receiver = m_json.Text("rc");
    double hz = 0;
    double time = 0;
    if (!sender || !receiver || !ReadCall(*sender, m_sender) || !ReadCall(*receiver, m_receiver) ||
        Word(m_json, "md").empty() || !m_json.Number("f", hz) ||
        !WholeNumber(m_json, "t", 0, 1e11, time)) {
        return PskRefusal::Shape;
    }
    if (!std::isfinite(hz) || hz < static_cast<double>(MinHz) || hz > static_cast<double>(MaxHz)) {
        return PskRefusal::Frequency;
    }
    report.Sender = m_sender;
    report.Receiver = m_receiver;
    report.Mode = Word(m_json, "md");
    report.Band = Word(m_json, "b");
    report.SenderLocator = Word(m_json, "sl");
    report.ReceiverLocator = Word(m_json, "rl");
    report.Hz = static_cast<std::uint64_t>(std::llround(hz));
    report.Time = static_cast<std::int64_t>(time);
    double number = 0;
    if (WholeNumber(m_json, "rp", -99, 99, number)) {
        report.Snr = static_cast<int>(number);
        report.HasSnr = true;
    }
    if (WholeNumber(m_json, "sa", 0, 999, number)) {
        report.SenderDxcc = static_cast<int>(number);
    }
    if (WholeNumber(m_json, "ra", 0, 999, number)) {
        report.ReceiverDxcc = static_cast<int>(number);
    }
    return PskRefusal::None;
}
