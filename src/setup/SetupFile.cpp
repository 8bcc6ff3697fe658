#include "setup/SetupFile.h"

#include "platform/IUiServices.h"
#include "text/AsciiText.h"

#include <climits>
#include <cstdio>

namespace {

bool IsWhite(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsBlankLine(std::string_view line) {
    for (unsigned char c : line) {
        if (!IsWhite(c)) {
            return false;
        }
    }
    return true;
}

bool IsComment(std::string_view line) {
    const char c = line[0];
    return !ascii::IsLetter(c) && !ascii::IsDigit(c) && !IsWhite(static_cast<unsigned char>(c));
}

} // namespace

CSetupFile::CSetupFile(std::function<void(std::string_view)> sink) : m_sink(std::move(sink)) {}

CSetupFile::CSetupFile(const std::vector<std::string>& lines, IUiServices& ui)
    : m_input(&lines), m_ui(&ui) {}

void CSetupFile::PutString(std::string_view key, std::string_view text) {
    m_currentLine.assign(key);
    m_currentLine += '=';
    m_currentLine += text;
    m_currentLine += '\n';
    WriteLine();
}

void CSetupFile::PutChar(std::string_view key, char c) {
    m_currentLine.assign(key);
    m_currentLine += '=';
    if (c != '\0') {
        m_currentLine += c;
    }
    m_currentLine += '\n';
    WriteLine();
}

void CSetupFile::PutInt(std::string_view key, int value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", value);
    PutString(key, digits);
}

void CSetupFile::WriteLine() {
    if (m_sink) {
        m_sink(m_currentLine);
    }
}

bool CSetupFile::FetchLine() {
    if (!m_pending.empty()) {
        m_fetched = m_pending;
        m_pending = {};
        return true;
    }
    if (m_input == nullptr || m_inputIndex >= m_input->size()) {
        return false;
    }
    m_fetched = (*m_input)[m_inputIndex++];
    return true;
}

void CSetupFile::ReadLine() {
    if (!m_unreadLine.empty()) {
        m_fetched = m_unreadLine;
        m_unreadLine = {};
        m_lineNumber = m_lastLineNumber;
    } else {
        bool got = false;
        while ((got = FetchLine())) {
            if (!IsBlankLine(m_fetched) && !IsComment(m_fetched)) {
                break;
            }
        }
        if (!got) {
            // A cut or hand-edited file: past its end every read yields an
            // empty line, which the key check then reports.
            m_currentLine.clear();
            m_lastLine = {};
            m_pastEnd = true;
            return;
        }
        std::size_t first = 0;
        while (first < m_fetched.size() && IsWhite(static_cast<unsigned char>(m_fetched[first]))) {
            ++first;
        }
        m_fetched.remove_prefix(first);
        m_lastLine = m_fetched;
        m_lineNumber = static_cast<int>(m_inputIndex);
        m_lastLineNumber = m_lineNumber;
    }
    if (m_fetched.size() > MaxLine) {
        m_pending = m_fetched.substr(MaxLine);
        m_fetched = m_fetched.substr(0, MaxLine);
    }
    m_currentLine.assign(m_fetched);
}

void CSetupFile::UnreadLine() {
    m_unreadLine = m_lastLine;
    // The line put back is whole, so the rest of a split line must not be
    // read a second time.
    m_pending = {};
}

std::string_view CSetupFile::KeyPart(const std::string& line) const {
    std::string_view view(line);
    const auto eq = view.find('=');
    return eq == std::string_view::npos ? view : view.substr(0, eq);
}

const std::string& CSetupFile::GetString(std::string_view key) {
    ReadLine();
    const std::string_view found = KeyPart(m_currentLine);
    if (!ascii::EqualsIgnoringCase(found, key)) {
        ++m_errorCount;
        if (m_ui != nullptr) {
            std::string text = "INI file error, missing line for: ";
            text += key;
            text += "\nGot instead: ";
            text += found;
            text += "\n";
            m_ui->MessageBox(text);
        }
    }
    const auto eq = m_currentLine.find('=');
    if (eq == std::string::npos) {
        m_value.clear();
    } else {
        m_value.assign(m_currentLine, eq + 1, std::string::npos);
    }
    return m_value;
}

int CSetupFile::GetInt(std::string_view key) {
    return ToInt(GetString(key));
}

bool CSetupFile::IsNextKey(std::string_view key) {
    const bool wasPastEnd = m_pastEnd;
    ReadLine();
    const bool atEnd = m_pastEnd && !wasPastEnd;
    const bool same = !atEnd && ascii::EqualsIgnoringCase(KeyPart(m_currentLine), key);
    if (atEnd) {
        m_pastEnd = wasPastEnd;
        return false;
    }
    UnreadLine();
    return same;
}

bool CSetupFile::IsWholeInt(std::string_view text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    if (i == digits) {
        return false;
    }
    while (i < text.size() && IsWhite(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    value = ToInt(text);
    return i == text.size();
}

int CSetupFile::ToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}
