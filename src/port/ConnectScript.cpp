#include "port/ConnectScript.h"

#include "platform/IUiServices.h"
#include "setup/SetupFile.h"
#include "text/AsciiText.h"

#include <algorithm>

namespace {

constexpr std::size_t MaxSubstitution = 31;
constexpr std::size_t MaxResponse = 255;
constexpr int MaxAutoTime = 9999;
// "\#" takes the run of digits that starts this far after the first
// character of the prompt in the received text.
constexpr std::size_t DigitOffset = 6;

} // namespace

CConnectScript::CConnectScript() = default;

//   ScriptSteps=10
//   Prompt=login:
//   Response=\%
//   ... (one Prompt/Response pair per step)
//   AutoReConnect=1
//   AutoTime=60
CConnectScript::CConnectScript(CSetupFile& setup) {
    if (!setup.IsNextKey("ScriptSteps")) {
        // A section without a script block keeps its link up: no steps,
        // reconnect after a minute.
        m_autoReConnect = true;
        m_armed = true;
        return;
    }
    m_stepsInFile = std::max(0, setup.GetInt("ScriptSteps"));
    for (int i = 0; i < m_stepsInFile; ++i) {
        // Steps past the tenth have no place here; they are read (while
        // there are any) only to keep the reader in step with the file.
        if (i >= Steps && !setup.IsNextKey("Prompt")) {
            break;
        }
        const std::string prompt = setup.GetString("Prompt");
        const std::string response = setup.GetString("Response");
        if (i < Steps) {
            m_prompt[static_cast<std::size_t>(i)] = prompt;
            m_response[static_cast<std::size_t>(i)] = response;
        }
    }
    m_autoReConnect = setup.GetInt("AutoReConnect") != 0;
    m_armed = m_autoReConnect;
    // Same range as the dialog allows, so a damaged line gives no negative
    // or endless reconnect wait.
    m_autoTime = std::clamp(setup.GetInt("AutoTime"), 0, MaxAutoTime);
}

void CConnectScript::Save(CSetupFile& setup) const {
    setup.PutInt("ScriptSteps", Steps);
    for (std::size_t i = 0; i < Steps; ++i) {
        setup.PutString("Prompt", m_prompt[i]);
        setup.PutString("Response", m_response[i]);
    }
    setup.PutInt("AutoReConnect", m_autoReConnect ? 1 : 0);
    setup.PutInt("AutoTime", m_autoTime);
}

void CConnectScript::Start() {
    m_manualDisconnect = false;
    m_running = true;
    m_armed = m_autoReConnect;
    m_step = 0;
}

void CConnectScript::Stop() {
    m_running = false;
    m_armed = false;
}

void CConnectScript::SetSubstitution(std::string_view text) {
    m_substitution.assign(text.substr(0, std::min(text.size(), MaxSubstitution)));
}

int CConnectScript::StatusStep() const {
    return StepInUse(m_step) ? m_step + 1 : -1;
}

bool CConnectScript::StepInUse(int i) const {
    return i >= 0 && i < Steps && !m_response[static_cast<std::size_t>(i)].empty();
}

std::optional<std::string> CConnectScript::Check(std::string_view text) {
    if (!m_running) {
        return std::nullopt;
    }
    if (!StepInUse(m_step)) {
        if (!m_armed) {
            m_running = false;
            return std::nullopt;
        }
    } else if (auto response = MatchStep(m_step, text, false)) {
        ++m_step;
        if (!StepInUse(m_step) && !m_armed) {
            m_running = false;
        }
        return response;
    }
    if (m_step == 0 || !m_armed) {
        return std::nullopt;
    }
    // The far end restarted and asks again: answer the step it asks for and
    // go on from there.
    for (int i = m_step - 1; i >= 0; --i) {
        if (auto response = MatchStep(i, text, true)) {
            m_step = i + 1;
            return response;
        }
    }
    return std::nullopt;
}

std::optional<std::string> CConnectScript::MatchStep(int i, std::string_view text,
                                                     bool strict) const {
    if (!StepInUse(i)) {
        return std::nullopt;
    }
    const auto index = static_cast<std::size_t>(i);
    const std::string& prompt = m_prompt[index];
    if (prompt.empty() && strict) {
        return std::nullopt;
    }
    const std::size_t pos = text.find(prompt);
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    return Expand(m_response[index], text, pos);
}

std::string CConnectScript::Expand(const std::string& response, std::string_view text,
                                   std::size_t promptPos) const {
    const std::string_view source =
        std::string_view(response).substr(0, std::min(response.size(), MaxResponse));
    std::string out;
    out.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 == source.size()) {
            out += '\\';
            break;
        }
        const char escape = source[++i];
        switch (escape) {
        case '#':
            for (std::size_t d = promptPos + DigitOffset;
                 d < text.size() && ascii::IsDigit(text[d]); ++d) {
                out += text[d];
            }
            break;
        case '%':
            out += m_substitution;
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += static_cast<char>(static_cast<unsigned char>(escape) - 64);
            break;
        }
    }
    return out;
}

ConnectScriptValues CConnectScript::Values() const {
    ConnectScriptValues values;
    values.prompts = m_prompt;
    values.responses = m_response;
    values.autoReconnect = m_autoReConnect;
    values.autoTime = m_autoTime;
    return values;
}

void CConnectScript::ApplyDialog(const ConnectScriptValues& values) {
    m_prompt = values.prompts;
    m_response = values.responses;
    m_autoReConnect = values.autoReconnect;
    m_armed = values.autoReconnect;
    m_autoTime = std::clamp(values.autoTime, 0, MaxAutoTime);
    m_running = false;
    m_step = 0;
}

bool CConnectScript::EditDialog(IUiServices& ui) {
    ConnectScriptValues values = Values();
    if (!ui.RunConnectScriptDialog(values)) {
        return false;
    }
    ApplyDialog(values);
    return true;
}
