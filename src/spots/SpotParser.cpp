#include "spots/SpotParser.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// The classes (CharClass below) that every character of a field has and
// those that any has. Named in the header so that the parse steps can hand
// them on.
struct FieldClasses {
    std::uint8_t all = 0xff;
    std::uint8_t any = 0;

    void Add(std::uint8_t classes) {
        all &= classes;
        any |= classes;
    }
    bool All(std::uint8_t classes) const { return (all & classes) == classes; }
    bool Any(std::uint8_t classes) const { return (any & classes) != 0; }
};

// The classes of the fields that the checks look at, as one pass saw them.
struct SpotClasses {
    FieldClasses spotter;
    FieldClasses frequency;
    FieldClasses dxCall;
    FieldClasses time;
};

namespace {

// The parse works on at most 79 characters of a "DX de" or IRC line and
// at most 127 of a node frame; the rest of a longer line is not looked at.
// A "DX de" line read by its fields may be wider (user settings of 100
// columns, a locator after the time).
constexpr std::size_t TextLength = 79;
constexpr std::size_t FrameLength = 127;
constexpr std::size_t WideTextLength = 255;

// "DX de" layouts.
constexpr std::size_t SpotterColumn = 6;
constexpr std::size_t ClusseCallColumn = 26;
constexpr std::size_t ClusseTimeColumn = 39;
constexpr std::size_t ClusseCommentColumn = 45;
constexpr std::size_t UserCommentColumn = 39;
constexpr std::size_t UserCommentEndColumn = 69;
constexpr std::size_t UserTimeColumn = 70;

// IRC spot text after the colour lead-in.
constexpr std::size_t IrcCommentColumn = 32;
constexpr std::size_t IrcLatestCommentColumn = 35;
constexpr std::size_t IrcTimeColumn = 60;
constexpr std::size_t IrcMaxCallGap = 3;

constexpr std::size_t TimeLength = 4;
constexpr char Bell = 7;
constexpr std::string_view IrcColourLeadIn = ":\x03"
                                             "1,15";

bool IsBlank(char c) {
    return c == ' ';
}
using ascii::IsDigit;
using ascii::IsLetter;
using ascii::IsPrintable;
using ascii::Upper;

bool StartsWithIgnoringCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() &&
           ascii::EqualsIgnoringCase(text.substr(0, head.size()), head);
}

// "DX de" in either case, as StartsWithIgnoringCase reads it: every line of
// a feed is tested, so the letters are compared with the case bit masked.
bool IsDxDeHead(std::string_view text) {
    constexpr int CaseBit = 0x20;
    const auto is = [&text](std::size_t i, char letter) { return (text[i] & ~CaseBit) == letter; };
    return text.size() >= 5 && is(0, 'D') && is(1, 'X') && text[2] == ' ' && is(3, 'D') &&
           is(4, 'E');
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// End of the run of non-blanks that starts at pos.
std::size_t RunEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && !IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

bool BlankAt(std::string_view text, std::size_t pos) {
    return pos < text.size() && IsBlank(text[pos]);
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}
// Four digits in a row from pos.
bool IsTimeAt(std::string_view text, std::size_t pos) {
    return pos + TimeLength <= text.size() && AllDigits(text.substr(pos, TimeLength));
}
// A field of four digits and "Z" ("1234Z"); the "Z" may be missing when
// zuluOptional.
bool IsTimeField(std::string_view field, bool zuluOptional) {
    if (!IsTimeAt(field, 0)) {
        return false;
    }
    const std::string_view rest = field.substr(TimeLength);
    return rest == "Z" || (zuluOptional && rest.empty());
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool LengthIn(std::string_view text, std::size_t low, std::size_t high) {
    return text.size() >= low && text.size() <= high;
}

// Character classes of spot fields, one table look-up a character: a field's
// checks then need no second pass over it (see FieldClasses).
enum CharClass : std::uint8_t {
    DigitClass = 1,
    LetterClass = 2,
    DotClass = 4,
    BlankClass = 8,
    LowerClass = 16,
    FrequencyChar = 32, // digit or "."
    CallChar = 64,      // digit, letter or "/"
    SpotterChar = 128,  // digit, letter or one of "#-/@"
};

constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = '0'; c <= '9'; ++c) {
        classes[c] = DigitClass | FrequencyChar | CallChar | SpotterChar;
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        classes[c] = LetterClass | CallChar | SpotterChar;
        classes[c - 'A' + 'a'] = LetterClass | LowerClass | CallChar | SpotterChar;
    }
    classes['.'] = DotClass | FrequencyChar;
    classes['/'] = CallChar | SpotterChar;
    classes['#'] = SpotterChar;
    classes['-'] = SpotterChar;
    classes['@'] = SpotterChar;
    classes[' '] = BlankClass;
    return classes;
}
constexpr std::array<std::uint8_t, 256> Classes = MakeClasses();

std::uint8_t ClassOf(char c) {
    return Classes[static_cast<unsigned char>(c)];
}

FieldClasses ClassesOf(std::string_view field) {
    FieldClasses classes;
    for (const char c : field) {
        classes.Add(ClassOf(c));
    }
    return classes;
}

bool IsValidFrequency(std::string_view f, FieldClasses classes) {
    return LengthIn(f, 5, 11) && classes.All(FrequencyChar) && classes.Any(DotClass) &&
           IsDigit(f.front()) && IsDigit(f.back());
}

bool IsValidDxCall(std::string_view call, FieldClasses classes) {
    return LengthIn(call, 3, 13) && classes.All(CallChar) && classes.Any(DigitClass) &&
           classes.Any(LetterClass);
}

bool IsValidSpotter(std::string_view spotter, FieldClasses classes) {
    return LengthIn(spotter, 3, 13) && classes.All(SpotterChar) && classes.Any(DigitClass) &&
           classes.Any(LetterClass);
}

bool IsValid(const SpotFields& spot, const SpotClasses& classes) {
    return IsValidFrequency(spot.Frequency, classes.frequency) &&
           IsValidDxCall(spot.DxCall, classes.dxCall) && spot.Time.size() == TimeLength &&
           classes.time.All(DigitClass) && IsValidSpotter(spot.Spotter, classes.spotter);
}

// End of the run of non-blanks that starts at pos, noting the classes of its
// characters.
std::size_t ScanRun(std::string_view text, std::size_t pos, FieldClasses& classes) {
    for (; pos < text.size(); ++pos) {
        const std::uint8_t c = ClassOf(text[pos]);
        if ((c & BlankClass) != 0) {
            break;
        }
        classes.Add(c);
    }
    return pos;
}

// The end of text with the blanks at its end dropped, but not below low.
std::size_t TrimBlanksBack(std::string_view text, std::size_t end, std::size_t low) {
    // Most of a short comment's columns are blanks: eight at a time first.
    constexpr std::uint64_t EightBlanks = 0x2020202020202020;
    constexpr std::size_t Eight = sizeof EightBlanks;
    for (std::uint64_t word = 0; end >= low + Eight; end -= Eight) {
        std::memcpy(&word, text.data() + end - Eight, Eight);
        if (word != EightBlanks) {
            break;
        }
    }
    while (end > low && IsBlank(text[end - 1])) {
        --end;
    }
    return end;
}

// Walks a node frame field by field. Nodes pad frames with runs of "^", so a
// run counts as one separator; only the comment may really be empty, and an
// empty comment keeps its place (otherwise the spotter would be taken as the
// comment and the node's call as the spotter).
class CFrameFields {
  public:
    explicit CFrameFields(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& field) {
        if (m_done) {
            return false;
        }
        auto end = m_text.find('^', m_pos);
        if (end == std::string_view::npos) {
            end = m_text.size();
            m_done = true;
        }
        field = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }

    bool NextNonEmpty(std::string_view& field) {
        while (Next(field)) {
            if (!field.empty()) {
                return true;
            }
        }
        return false;
    }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_done = false;
};

} // namespace

CSpotParser::CSpotParser() = default;

void CSpotParser::Load(std::string_view text, std::size_t maxLength) {
    m_length = std::min({text.size(), maxLength, m_buffer.size()});
    std::copy_n(text.data(), m_length, m_buffer.data());
}

std::string_view CSpotParser::Slice(std::size_t from, std::size_t to) const {
    from = std::min(from, m_length);
    to = std::clamp(to, from, m_length);
    return {m_buffer.data() + from, to - from};
}

std::size_t CSpotParser::UpperRun(std::size_t pos, FieldClasses& classes) {
    for (; pos < m_length; ++pos) {
        const std::uint8_t c = ClassOf(m_buffer[pos]);
        if ((c & BlankClass) != 0) {
            break;
        }
        classes.Add(c);
        if ((c & LowerClass) != 0) {
            m_buffer[pos] = static_cast<char>(m_buffer[pos] - 'a' + 'A');
        }
    }
    return pos;
}

std::string_view CSpotParser::UpperSlice(std::size_t from, std::size_t to) {
    const std::string_view field = Slice(from, to);
    const auto start = static_cast<std::size_t>(field.data() - m_buffer.data());
    for (std::size_t i = start; i < start + field.size(); ++i) {
        m_buffer[i] = Upper(m_buffer[i]);
    }
    return field;
}

bool CSpotParser::ParseDxDeStart(std::string_view line, SpotFields& spot, std::size_t& pos,
                                 std::size_t maxLength, SpotClasses& classes) {
    spot.Clear();
    Load(line, maxLength);
    const std::string_view text = Text();
    if (!IsDxDeHead(text)) {
        return false;
    }
    std::size_t colon = SpotterColumn;
    for (; colon < text.size() && text[colon] != ':'; ++colon) {
        const std::uint8_t c = ClassOf(text[colon]);
        if ((c & BlankClass) != 0) {
            return false;
        }
        classes.spotter.Add(c);
    }
    if (colon >= text.size()) {
        return false;
    }
    spot.Spotter = Slice(SpotterColumn, colon);
    pos = colon + 1;
    return TakeFrequency(pos, spot, classes.frequency);
}

bool CSpotParser::LooksLikeSpot(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t^");
    if (start == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(start);
    return StartsWithIgnoringCase(line, "DX de") || line.starts_with("PC11") ||
           line.starts_with("PC61") || line.starts_with("AR17");
}

bool CSpotParser::Parse(SourceKind source, std::string_view line, SpotFields& spot) {
    switch (source) {
    case SourceKind::MircUser:
        return ParseIrcSpot(line, spot);
    case SourceKind::ClusterUser:
        return ParseUserSpot(line, spot);
    case SourceKind::ClusseUser:
        return ParseClusseSpot(line, spot);
    case SourceKind::ClusterNode:
        return ParseNodeSpot(line, spot);
    case SourceKind::JsonSpots:
        return m_json.Read(line, spot);
    default:
        spot.Clear();
        return false;
    }
}

bool CSpotParser::TakeFrequency(std::size_t& pos, SpotFields& spot, FieldClasses& classes) const {
    const std::string_view text = Text();
    pos = SkipBlanks(text, pos);
    const std::size_t end = ScanRun(text, pos, classes);
    if (!BlankAt(text, end)) {
        return false;
    }
    spot.Frequency = Slice(pos, end);
    pos = end;
    return true;
}

bool CSpotParser::ParseClusseSpot(std::string_view line, SpotFields& spot) {
    return ParseClusseColumns(line, spot) || ParseDxDeFields(line, spot, true);
}

bool CSpotParser::ParseUserSpot(std::string_view line, SpotFields& spot) {
    return ParseUserColumns(line, spot) || ParseDxDeFields(line, spot, false);
}

bool CSpotParser::ParseClusseColumns(std::string_view line, SpotFields& spot) {
    std::size_t pos = 0;
    SpotClasses classes;
    if (!ParseDxDeStart(line, spot, pos, TextLength, classes)) {
        return false;
    }
    const std::string_view text = Text();
    if (ClusseCallColumn >= text.size()) {
        return false;
    }
    const std::size_t callEnd = text.find(' ', ClusseCallColumn);
    if (callEnd == std::string_view::npos) {
        return false;
    }

    spot.Time = Slice(ClusseTimeColumn, ClusseTimeColumn + TimeLength);
    spot.Comment = Trimmed(Slice(ClusseCommentColumn, text.find(Bell, ClusseCommentColumn)));
    spot.DxCall = UpperSlice(ClusseCallColumn, callEnd);
    return ValidateSpot(spot);
}

// The hot path of a telnet feed: one pass over each field, which notes the
// classes of its characters for the checks on the way (the call is made upper
// case in the same pass).
bool CSpotParser::ParseUserColumns(std::string_view line, SpotFields& spot) {
    std::size_t pos = 0;
    SpotClasses classes;
    if (!ParseDxDeStart(line, spot, pos, TextLength, classes)) {
        return false;
    }
    const std::string_view text = Text();
    pos = SkipBlanks(text, pos);
    if (pos >= text.size()) {
        return false;
    }
    const std::size_t callStart = pos;
    const std::size_t callEnd = UpperRun(callStart, classes.dxCall);
    if (!BlankAt(text, callEnd)) {
        return false;
    }
    // A call that runs into the comment column is not of this layout.
    if (callEnd > UserCommentColumn) {
        return false;
    }

    // A blank in column 69 ends the comment together with the blanks before
    // it; otherwise the comment runs to the end of the text.
    std::size_t commentEnd = text.size();
    if (BlankAt(text, UserCommentEndColumn)) {
        commentEnd = TrimBlanksBack(text, UserCommentEndColumn, UserCommentColumn);
    }
    // A 13-character call pushes the comment one column to the right.
    spot.Comment = Slice(SkipBlanks(text, UserCommentColumn), commentEnd);

    const std::size_t time = SkipBlanks(text, UserTimeColumn);
    spot.Time = Slice(time, time + TimeLength);
    classes.time = ClassesOf(spot.Time);
    spot.DxCall = Slice(callStart, callEnd);
    return IsValid(spot, classes);
}

bool CSpotParser::ParseDxDeFields(std::string_view line, SpotFields& spot, bool timeAfterCall) {
    std::size_t pos = 0;
    SpotClasses classes;
    if (!ParseDxDeStart(line, spot, pos, WideTextLength, classes)) {
        return false;
    }
    const std::string_view text = Text();
    const std::size_t callStart = SkipBlanks(text, pos);
    const std::size_t callEnd = RunEnd(text, callStart);

    std::size_t time = text.size();
    std::size_t commentStart = callEnd;
    std::size_t commentEnd = text.size();
    if (timeAfterCall) {
        const std::size_t start = SkipBlanks(text, callEnd);
        const std::size_t end = RunEnd(text, start);
        if (IsTimeField(Slice(start, end), true)) {
            time = start;
            commentStart = end;
            commentEnd = text.find(Bell, commentStart);
        }
    } else {
        // The last time field wins: a comment may hold a time of its own.
        for (std::size_t start = SkipBlanks(text, callEnd); start < text.size();) {
            const std::size_t end = RunEnd(text, start);
            if (IsTimeField(Slice(start, end), false)) {
                time = start;
                commentEnd = start;
            }
            start = SkipBlanks(text, end);
        }
    }
    if (time == text.size()) {
        return false;
    }
    spot.Comment = Trimmed(Slice(commentStart, commentEnd));
    spot.Time = Slice(time, time + TimeLength);
    spot.DxCall = UpperSlice(callStart, callEnd);
    return ValidateSpot(spot);
}

bool CSpotParser::ParseNodeSpot(std::string_view line, SpotFields& spot) {
    spot.Clear();
    Load(line, FrameLength);
    CFrameFields fields(Text());

    std::string_view name;
    if (!fields.NextNonEmpty(name)) {
        return false;
    }
    // PC61 is PC11 with the spotter's address after the origin node.
    const bool isPc11 = name.starts_with("PC11") || name.starts_with("PC61");
    const bool isAr17 = name.starts_with("AR17");
    if (!isPc11 && !isAr17) {
        return false;
    }
    std::string_view skipped;
    std::string_view date;
    if (isAr17 && !fields.NextNonEmpty(skipped)) {
        return false;
    }
    if (!fields.NextNonEmpty(spot.Frequency) || !fields.NextNonEmpty(spot.DxCall) ||
        !fields.NextNonEmpty(date) || !fields.NextNonEmpty(spot.Time) ||
        !fields.Next(spot.Comment) || !fields.NextNonEmpty(spot.Spotter)) {
        return false;
    }
    spot.Time = spot.Time.substr(0, std::min(spot.Time.size(), TimeLength));
    return ValidateSpot(spot);
}

bool CSpotParser::ParseIrcSpot(std::string_view line, SpotFields& spot) {
    spot.Clear();
    m_ircLine.assign(line);
    for (char& c : m_ircLine) {
        c = static_cast<char>(static_cast<unsigned char>(c) & 0x7f);
    }
    const std::string_view ircLine = m_ircLine;

    const auto privmsg = ircLine.find(" PRIVMSG ");
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
    const auto leadIn = ircLine.find(IrcColourLeadIn, channel);
    if (leadIn == std::string_view::npos) {
        return false;
    }
    Load(ircLine.substr(SkipBlanks(ircLine, leadIn + IrcColourLeadIn.size())), TextLength);
    const std::string_view text = Text();
    if (text.empty() || !IsPrintable(text.front())) {
        return false;
    }

    const std::size_t spotterEnd = RunEnd(text, 0);
    if (!BlankAt(text, spotterEnd)) {
        return false;
    }
    spot.Spotter = Slice(0, spotterEnd);
    std::size_t pos = spotterEnd;
    FieldClasses frequency;
    if (!TakeFrequency(pos, spot, frequency)) {
        return false;
    }
    ++pos;
    for (std::size_t gap = 0; gap < IrcMaxCallGap && BlankAt(text, pos); ++gap) {
        ++pos;
    }
    if (pos >= text.size() || !IsPrintable(text[pos])) {
        return false;
    }
    const std::size_t callStart = pos;
    const std::size_t callEnd = RunEnd(text, pos);

    // The comment starts at column 32, or up to three columns later when
    // blanks lead it; it ends before column 60, where the time area begins.
    std::size_t commentStart = IrcCommentColumn;
    if (BlankAt(text, commentStart)) {
        ++commentStart;
        while (commentStart < IrcLatestCommentColumn && BlankAt(text, commentStart)) {
            ++commentStart;
        }
    }
    const std::size_t commentEnd =
        TrimBlanksBack(text, std::min(text.size(), IrcTimeColumn), commentStart);
    spot.Comment = Slice(commentStart, commentEnd);

    std::size_t time = IrcTimeColumn;
    while (time < text.size() && !IsTimeAt(text, time)) {
        ++time;
    }
    spot.Time = Slice(time, time + TimeLength);
    spot.DxCall = UpperSlice(callStart, callEnd);
    return ValidateSpot(spot);
}

bool CSpotParser::ValidateSpot(const SpotFields& spot) {
    const SpotClasses classes{ClassesOf(spot.Spotter), ClassesOf(spot.Frequency),
                              ClassesOf(spot.DxCall), ClassesOf(spot.Time)};
    return IsValid(spot, classes);
}
