#include "app/HeadlessUi.h"

#include "app/StdStreams.h"
#include "app/TerminalText.h"
#include "port/PortHandler.h"

#include <algorithm>

CHeadlessUi::CHeadlessUi(bool follow, bool consoleOnStdout)
    : m_follow(follow), m_consoleOnStdout(consoleOnStdout),
      m_main(CHeadlessPortView::Role::Main, follow, consoleOnStdout) {}

CHeadlessUi::~CHeadlessUi() = default;

void CHeadlessUi::MessageBox(const std::string& text) {
    ++m_boxes;
    // The text may quote a damaged setup file: its control bytes are shown,
    // not sent to the terminal.
    std::string line = "spotweaver: ";
    for (char c : text) {
        if (c == '\n') {
            line += c;
        } else {
            CTerminalText::AppendShown(line, c);
        }
    }
    if (line.back() != '\n') {
        line += '\n';
    }
    StdStreams::Error(line);
}

bool CHeadlessUi::AskYesNo(const std::string& text) {
    StdStreams::Error("spotweaver: " + text + " No\n");
    return false;
}

void CHeadlessUi::RemovePortSelectorItem(const std::string& name) {
    auto it = std::find(m_selector.begin(), m_selector.end(), name);
    if (it != m_selector.end()) {
        m_selector.erase(it);
    }
}

void CHeadlessUi::SelectFirstPortSelectorItem() {
    m_selectorText = m_selector.empty() ? std::string() : m_selector.front();
}

IPortView* CHeadlessUi::NewPortWindow() {
    m_windows.push_back(std::make_unique<CHeadlessPortView>(CHeadlessPortView::Role::Port, m_follow,
                                                            m_consoleOnStdout));
    return m_windows.back().get();
}

void CHeadlessUi::ClosePortWindow(IPortView* window) {
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it != m_windows.end()) {
        m_windows.erase(it);
    }
}

bool CHeadlessUi::PortWindowWritten() const {
    return std::any_of(m_windows.begin(), m_windows.end(),
                       [](const auto& window) { return window->Written(); });
}

CPortHandler* CHeadlessUi::ConsoleInputPort() const {
    for (const auto& window : m_windows) {
        if (window->PortName() == "CON" && window->InputPort() != nullptr &&
            window->InputPort()->IsConnected()) {
            return window->InputPort();
        }
    }
    return nullptr;
}
