#include "spots/PskReportReader.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

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

constexpr const char* FieldNames[] = {"f",  "md", "rp", "t",  "sc", "sl",
                                      "rc", "rl", "sa", "ra", "b"};

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

CPskReportReader::CPskReportReader()
    : m_flat(std::vector<std::string_view>(std::begin(FieldNames), std::end(FieldNames))) {}

PskRefusal CPskReportReader::Read(std::string_view text, PskReport& report) {
    if (!m_flat.Read(text)) {
        return ReadAnyLayout(text, report);
    }
    for (std::size_t i = 0; i < FieldCount; ++i) {
        m_members[i] = m_flat.Value(i);
    }
    return Take(report);
}

PskRefusal CPskReportReader::ReadAnyLayout(std::string_view text, PskReport& report) {
    report = PskReport{};
    if (!m_json.Read(text)) {
        return PskRefusal::NotJson;
    }
    for (std::size_t i = 0; i < FieldCount; ++i) {
        m_members[i] = m_json.Find(FieldNames[i]);
    }
    return Take(report);
}

std::optional<std::string_view> CPskReportReader::Text(Field field) const {
    const CJsonReader::Member* member = m_members[field];
    if (member == nullptr || member->kind != CJsonReader::Kind::String) {
        return std::nullopt;
    }
    return member->value;
}

// A short word of letters, digits and "-" (mode, band, locator); empty
// when the member is absent or not such a word.
std::string_view CPskReportReader::Word(Field field) const {
    const std::optional<std::string_view> text = Text(field);
    if (!text || text->size() > LongestWord || !std::all_of(text->begin(), text->end(), [](char c) {
            return ascii::IsLetter(c) || ascii::IsDigit(c) || c == '-';
        })) {
        return {};
    }
    return *text;
}

bool CPskReportReader::WholeNumber(Field field, double low, double high, double& value) const {
    return m_members[field] != nullptr && CJsonReader::NumberOf(*m_members[field], value) &&
           std::isfinite(value) && value >= low && value <= high && value == std::floor(value);
}

PskRefusal CPskReportReader::Take(PskReport& report) {
    report = PskReport{};
    const std::optional<std::string_view> sender = Text(Sender);
    const std::optional<std::string_view> receiver = Text(Receiver);
    double hz = 0;
    double time = 0;
    if (!sender || !receiver || !ReadCall(*sender, m_sender) || !ReadCall(*receiver, m_receiver) ||
        Word(Mode).empty() || m_members[Hz] == nullptr ||
        !CJsonReader::NumberOf(*m_members[Hz], hz) || !WholeNumber(Time, 0, 1e11, time)) {
        return PskRefusal::Shape;
    }
    if (!std::isfinite(hz) || hz < static_cast<double>(MinHz) || hz > static_cast<double>(MaxHz)) {
        return PskRefusal::Frequency;
    }
    report.Sender = m_sender;
    report.Receiver = m_receiver;
    report.Mode = Word(Mode);
    report.Band = Word(Band);
    report.SenderLocator = Word(SenderLoc);
    report.ReceiverLocator = Word(ReceiverLoc);
    report.Hz = static_cast<std::uint64_t>(std::llround(hz));
    report.Time = static_cast<std::int64_t>(time);
    double number = 0;
    if (WholeNumber(Snr, -99, 99, number)) {
        report.Snr = static_cast<int>(number);
        report.HasSnr = true;
    }
    if (WholeNumber(SenderDxcc, 0, 999, number)) {
        report.SenderDxcc = static_cast<int>(number);
    }
    if (WholeNumber(ReceiverDxcc, 0, 999, number)) {
        report.ReceiverDxcc = static_cast<int>(number);
    }
    return PskRefusal::None;
}
