#include "spots/SpotFormatter.h"

#include "spots/LoopMark.h"
#include "text/AsciiText.h"
#include "text/ByteWords.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

// "DX de" display line.
constexpr std::size_t DxDeFrequencyEnd = 24;
constexpr std::size_t DxDeCommentColumn = 39;
constexpr std::size_t DxDeTimeColumn = 70;
// IRC spot text.
constexpr std::size_t IrcFrequencyEnd = 20;
constexpr std::size_t IrcCommentColumn = 34;
constexpr std::size_t IrcTimeColumn = 62;
constexpr std::size_t IrcLength = 66;

constexpr std::size_t MaxHopsLength = 2;
constexpr char ColourCode = 0x03;

constexpr std::array<std::string_view, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view OrBlank(std::string_view text) {
    return text.empty() ? std::string_view(" ") : text;
}

// Copies text to p and returns the end of the copy.
[[gnu::always_inline]] inline char* Put(char* p, std::string_view text) {
    bytewords::CopyShort(p, text.data(), text.size());
    return p + text.size();
}

// A line of fixed columns built in place. Every column layout cuts its line
// back at its last column, so what would run past Width is dropped as it is
// written, and the line is copied out once. The line starts out all blanks:
// padding only moves the end, except over text that a cut left behind.
template <std::size_t Width> class CColumnLine {
  public:
    CColumnLine() { m_text.fill(' '); }

    void Append(std::string_view text) {
        const std::size_t n = std::min(text.size(), Width - m_length);
        Put(m_text.data() + m_length, text.substr(0, n));
        m_length += n;
        m_written = std::max(m_written, m_length);
    }
    void AppendBlanks(std::size_t count) {
        const std::size_t end = std::min(m_length + count, Width);
        if (m_length < m_written) {
            std::fill(m_text.data() + m_length, m_text.data() + std::min(end, m_written), ' ');
        }
        m_length = end;
    }
    // Cuts the line back to length; a shorter line stays as it is.
    void CutTo(std::size_t length) { m_length = std::min(m_length, length); }
    std::string_view Text() const { return {m_text.data(), m_length}; }

  private:
    std::array<char, Width> m_text;
    std::size_t m_length = 0;
    // The end of what text was ever written; all blanks from there on.
    std::size_t m_written = 0;
};

// Width left in front of a right-aligned field that ends before column end.
std::size_t LeadWidth(std::size_t end, std::string_view field) {
    return end > field.size() ? end - field.size() : 0;
}

} // namespace

CSpotFormatter::CSpotFormatter(const RouterOptions& options, const IClock& clock)
    : m_options(options), m_clock(clock) {}

std::string_view CSpotFormatter::Hops() const {
    const std::string_view hops = m_options.HopsOut;
    return hops.substr(0, std::min(hops.size(), MaxHopsLength));
}

bool CSpotFormatter::MarkComment(std::string_view comment, MarkedComment& marked) const {
    if (HasLoopMark(comment, m_options)) {
        return false;
    }
    const std::string_view kept = comment.substr(0, LoopMarkKeeps(comment, m_options));
    if (m_options.AntiLoopPrefix.empty()) {
        marked = {OrBlank(kept), {}, {}};
    } else {
        marked = {kept, m_options.AntiLoopPrefix, m_options.MyCall};
    }
    return true;
}

bool CSpotFormatter::AppendMarkedComment(std::string& out, std::size_t start,
                                         std::string_view comment) {
    MarkedComment marked;
    if (!MarkComment(comment, marked)) {
        out.resize(start);
        return false;
    }
    out += marked.kept;
    out += marked.prefix;
    out += marked.call;
    return true;
}

bool CSpotFormatter::NeedsZ(std::string_view time) {
    return time.size() < 5 || time[4] != 'Z';
}

void CSpotFormatter::AppendTimeZ(std::string& out, std::string_view time) {
    out += time;
    if (NeedsZ(time)) {
        out += 'Z';
    }
}

// The text is made again only when the date changes: once a day, not per
// spot.
std::string_view CSpotFormatter::DateText() {
    const CivilDate date = m_clock.UtcDate();
    if (date.day != m_date.day || date.month != m_date.month || date.year != m_date.year ||
        m_dateText.empty()) {
        const auto month = static_cast<std::size_t>(std::clamp(date.month, 1, 12) - 1);
        m_dateText = std::to_string(date.day);
        m_dateText += '-';
        m_dateText += MonthNames[month];
        m_dateText += '-';
        m_dateText += std::to_string(date.year);
        m_date = date;
    }
    return m_dateText;
}

bool CSpotFormatter::FormatPC11(const SpotFields& spot) {
    m_spot.clear();
    return AppendPC11(spot, m_spot);
}

// The frame's length is known before it is written, so out grows once and
// every piece is copied straight into place.
bool CSpotFormatter::AppendPC11(const SpotFields& spot, std::string& out) {
    MarkedComment comment;
    if (!MarkComment(spot.Comment, comment)) {
        return false;
    }
    constexpr std::string_view Head = "PC11^";
    constexpr std::string_view HopsLead = "^H";
    constexpr std::string_view End = "^~";
    // The "^" after frequency, call, date, time, comment and spotter.
    constexpr std::size_t Separators = 6;
    const std::string_view date = DateText();
    const std::string_view hops = Hops();
    const std::string_view myCall = m_options.MyCall;
    const bool addZ = NeedsZ(spot.Time);
    const std::size_t length = Head.size() + spot.Frequency.size() + spot.DxCall.size() +
                               date.size() + spot.Time.size() + (addZ ? 1 : 0) +
                               comment.kept.size() + comment.prefix.size() + comment.call.size() +
                               spot.Spotter.size() + myCall.size() + HopsLead.size() + hops.size() +
                               End.size() + Separators;
    const std::size_t start = out.size();
    out.resize(start + length);
    char* p = out.data() + start;
    p = Put(p, Head);
    p = Put(p, spot.Frequency);
    *p++ = '^';
    p = Put(p, spot.DxCall);
    *p++ = '^';
    p = Put(p, date);
    *p++ = '^';
    p = Put(p, spot.Time);
    if (addZ) {
        *p++ = 'Z';
    }
    *p++ = '^';
    p = Put(p, comment.kept);
    p = Put(p, comment.prefix);
    p = Put(p, comment.call);
    *p++ = '^';
    p = std::transform(spot.Spotter.begin(), spot.Spotter.end(), p, ascii::Upper);
    *p++ = '^';
    p = Put(p, myCall);
    p = Put(p, HopsLead);
    p = Put(p, hops);
    Put(p, End);
    return true;
}

bool CSpotFormatter::FormatClusseCommand(const SpotFields& spot) {
    m_spot.clear();
    m_spot += "DX/";
    m_spot += spot.Spotter;
    m_spot += ' ';
    m_spot += spot.Frequency;
    m_spot += ' ';
    m_spot += spot.DxCall;
    m_spot += ' ';
    return AppendMarkedComment(m_spot, 0, spot.Comment);
}

bool CSpotFormatter::FormatDxCommand(const SpotFields& spot) {
    m_spot.clear();
    m_spot += "DX ";
    m_spot += spot.Frequency;
    m_spot += ' ';
    m_spot += spot.DxCall;
    m_spot += ' ';
    return AppendMarkedComment(m_spot, 0, spot.Comment);
}

bool CSpotFormatter::FormatDxDe(const SpotFields& spot) {
    CColumnLine<DxDeTimeColumn> line;
    line.Append("DX de ");
    line.Append(spot.Spotter);
    line.Append(":");
    line.AppendBlanks(11);
    // A long spotter call gives way so that the frequency ends at column 23.
    line.CutTo(LeadWidth(DxDeFrequencyEnd, spot.Frequency));
    line.Append(spot.Frequency);
    line.AppendBlanks(2);
    line.Append(spot.DxCall);
    line.AppendBlanks(15);
    line.CutTo(DxDeCommentColumn);
    line.Append(OrBlank(spot.Comment));
    line.AppendBlanks(33);
    m_spot.assign(line.Text());
    AppendTimeZ(m_spot, spot.Time);
    return true;
}

bool CSpotFormatter::FormatIrcSpot(const SpotFields& spot) {
    CColumnLine<IrcLength> line;
    line.Append(spot.Spotter);
    line.AppendBlanks(15);
    line.CutTo(LeadWidth(IrcFrequencyEnd, spot.Frequency));
    line.Append(spot.Frequency);
    line.Append(" ");
    line.Append(spot.DxCall);
    line.AppendBlanks(15);
    line.CutTo(IrcCommentColumn);
    line.Append(OrBlank(spot.Comment));
    line.AppendBlanks(33);
    line.CutTo(IrcTimeColumn);
    line.Append(spot.Time);
    m_spot.assign(line.Text());
    return true;
}

bool CSpotFormatter::FormatSolarFrame(std::string_view ircLine) {
    m_spot.clear();
    const auto monitor = ircLine.find(":SolarMonitor!");
    if (monitor == std::string_view::npos) {
        return false;
    }
    const auto privmsg = ircLine.find(" PRIVMSG ", monitor);
    if (privmsg == std::string_view::npos) {
        return false;
    }
    auto channel = ircLine.find("#cqdx ", privmsg);
    if (channel == std::string_view::npos) {
        channel = ircLine.find("#CQDX ", privmsg);
    }
    if (channel == std::string_view::npos) {
        return false;
    }
    const auto colon = ircLine.find(':', channel);
    if (colon == std::string_view::npos) {
        return false;
    }

    m_spot += "AR19^1^SolarMonitor^SOLAR^";
    // A colour code and the non-blanks glued to it ("<03>4,1") are dropped.
    const std::string_view text = ircLine.substr(colon + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ColourCode) {
            while (i + 1 < text.size() && text[i + 1] != ' ') {
                ++i;
            }
            continue;
        }
        m_spot += text[i];
    }
    m_spot += "^SOLAR.LST^";
    m_spot += m_options.MyCall;
    m_spot += "^0^K^MA^H";
    m_spot += Hops();
    m_spot += "^~";
    return true;
}
