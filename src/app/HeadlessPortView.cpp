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
        StdStreams::Error(m_text.Format(text, m_name + "| "));
    }
}
