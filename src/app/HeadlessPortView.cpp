#include "app/HeadlessPortView.h"

#include "app/StdStreams.h"

CHeadlessPortView::CHeadlessPortView(Role role, bool follow, bool consoleOnStdout)
    : m_role(role), m_follow(follow), m_consoleOnStdout(consoleOnStdout),
      m_name(role == Role::Main ? "Main" : "Temp") {}

void CHeadlessPortView::SetTitleParts(const std::string& name, const std::string&) {
    m_name = name;
}

void CHeadlessPortView::AppendText(std::string_view text) {
    m_written = m_written || !text.empty();
    if (m_role == Role::Main) {
        StdStreams::Error(m_text.Format(text));
    } else if (m_name == "CON" && m_consoleOnStdout) {
        StdStreams::Output(m_text.Format(text));
    } else if (m_follow || m_name == "CON") {
        Follow(text);
    }
}

CHeadlessPortView::~CHeadlessPortView() {
    if (!m_held.empty()) {
        WriteLines(m_held + "\n");
    }
}

void CHeadlessPortView::Follow(std::string_view text) {
    m_held.append(text);
    std::size_t end = m_held.find_last_of("\r\n");
    // A CR at the very end may be the first half of a CR LF.
    if (end != std::string::npos && end + 1 == m_held.size() && m_held[end] == '\r') {
        end = end == 0 ? std::string::npos : m_held.find_last_of("\r\n", end - 1);
    }
    if (end == std::string::npos) {
        if (m_held.size() >= MaxHeldLine) {
            WriteLines(m_held + "\n");
            m_held.clear();
        }
        return;
    }
    WriteLines(std::string_view(m_held).substr(0, end + 1));
    m_held.erase(0, end + 1);
}

void CHeadlessPortView::WriteLines(std::string_view text) {
    const std::string lines = m_text.Format(text, m_name + "| ");
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t eol = lines.find('\n', start);
        const std::size_t next = eol == std::string::npos ? lines.size() : eol + 1;
        StdStreams::Error(std::string_view(lines).substr(start, next - start));
        start = next;
    }
}
