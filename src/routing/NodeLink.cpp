#include "routing/NodeLink.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view OwnInit = "PC18^Spotweaver " SPOTWEAVER_VERSION "^5401^";
constexpr std::size_t MaxFields = 4;
constexpr std::size_t MaxCall = 13;
constexpr std::size_t MaxText = 100;
constexpr std::size_t MaxVersion = 6;

// The fields after the name of a frame "NAME^f1^...^fn^" (a "~" may follow
// the last "^"); ok only when every field is there, none is empty and none
// is longer than MaxText.
struct Frame {
    std::array<std::string_view, MaxFields> fields;
    std::size_t count = 0;
    bool ok = false;
};

Frame Split(std::string_view line) {
    Frame frame;
    if (line.ends_with("^~")) {
        line.remove_suffix(1);
    }
    if (!line.ends_with('^')) {
        return frame;
    }
    line.remove_suffix(1);
    auto end = line.find('^');
    while (end != std::string_view::npos) {
        line.remove_prefix(end + 1);
        end = line.find('^');
        const std::string_view field = line.substr(0, end);
        if (frame.count == MaxFields || field.empty() || field.size() > MaxText) {
            return frame;
        }
        frame.fields[frame.count++] = field;
    }
    frame.ok = true;
    return frame;
}

bool IsCall(std::string_view text) {
    return !text.empty() && text.size() <= MaxCall &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return ascii::IsDigit(c) || ascii::IsLetter(c) || c == '/' || c == '-';
           });
}

bool SameCall(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii::Upper(x) == ascii::Upper(y);
           });
}

bool IsInit(const Frame& frame) {
    const std::string_view text = frame.fields[0];
    const std::string_view version = frame.fields[1];
    return frame.ok && frame.count == 2 &&
           std::all_of(text.begin(), text.end(), ascii::IsPrintable) &&
           version.size() <= MaxVersion &&
           std::all_of(version.begin(), version.end(), ascii::IsDigit);
}

bool IsBare(const Frame& frame) {
    return frame.ok && frame.count == 0;
}

// "PC" and two digits: a frame of the node protocol rather than login text.
bool IsFrame(std::string_view line) {
    return line.size() >= 4 && line.starts_with("PC") && ascii::IsDigit(line[2]) &&
           ascii::IsDigit(line[3]);
}

} // namespace

void CNodeLink::Begin(bool called) {
    m_called = called;
    m_initSent = false;
    m_initAnswered = false;
    m_doneAnswered = false;
    m_up = false;
    m_partner.clear();
}

CNodeLink::Outcome CNodeLink::Take(std::string_view line, std::string_view myCall, bool loggedIn) {
    if (line.starts_with("PC51^")) {
        return TakePing(line, myCall);
    }
    if (!m_handshake || line.empty()) {
        return {};
    }
    // A login prompt has no line end: the partner's first init frame may
    // share a line with it ("login: PC18^...").
    const auto init = line.find("PC18^");
    if (!HasBegun() && init != std::string_view::npos) {
        line.remove_prefix(init);
    }
    return TakeHandshake(line, loggedIn);
}

// A ping for this node is answered and kept; a ping for another node
// travels on as any foreign frame. An answer to a ping (flag 0) for this
// node ends here: this node sends no pings of its own.
CNodeLink::Outcome CNodeLink::TakePing(std::string_view line, std::string_view myCall) const {
    const Frame frame = Split(line);
    const std::string_view to = frame.fields[0];
    const std::string_view from = frame.fields[1];
    const std::string_view flag = frame.fields[2];
    const bool valid =
        frame.ok && frame.count == 3 && IsCall(to) && IsCall(from) && (flag == "0" || flag == "1");
    Outcome out;
    if (!valid) {
        out.handled = true;
        return out;
    }
    if (!SameCall(to, myCall)) {
        return out;
    }
    out.handled = true;
    if (flag == "1") {
        out.answer = "PC51^" + std::string(from) + '^' + std::string(myCall) + "^0^";
    }
    return out;
}

CNodeLink::Outcome CNodeLink::TakeHandshake(std::string_view line, bool loggedIn) {
    Outcome out;
    if (line.starts_with("PC18^")) {
        out.handled = true;
        if (IsInit(Split(line)) && !m_initAnswered) {
            m_initAnswered = true;
            out.answer = "PC20^";
        }
        return out;
    }
    if (line.starts_with("PC20^")) {
        out.handled = true;
        if (IsBare(Split(line)) && !m_doneAnswered) {
            m_doneAnswered = true;
            out.answer = "PC22^";
            Up(out);
        }
        return out;
    }
    if (line.starts_with("PC22^")) {
        out.handled = true;
        if (IsBare(Split(line)) && m_initAnswered) {
            Up(out);
        }
        return out;
    }
    if (line.starts_with("PC19^")) {
        const Frame frame = Split(line);
        NotePartner(frame.count >= 2 ? frame.fields[1] : std::string_view());
    }
    // The first line of a caller after its login: this node opens the link.
    if (m_called && loggedIn && !m_initSent && !m_initAnswered) {
        m_initSent = true;
        out.answer = OwnInit;
        if (!IsFrame(line)) {
            out.handled = true;
            NotePartner(line);
        }
    }
    return out;
}

void CNodeLink::NotePartner(std::string_view call) {
    if (m_partner.empty() && IsCall(call)) {
        m_partner = call;
    }
}

void CNodeLink::Up(Outcome& out) {
    if (m_up) {
        return;
    }
    m_up = true;
    out.report = m_partner.empty() ? "Node link up" : "Node link with " + m_partner + " up";
}
