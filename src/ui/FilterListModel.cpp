#include "ui/FilterListModel.h"

#include "filters/BandTable.h"
#include "filters/CountryFile.h"
#include "filters/FilterRuleParser.h"
#include "filters/FilterRuleWords.h"
#include "filters/ModeTable.h"
#include "port/PortSetupValues.h"

#include <utility>

namespace {

// "CW, DIGI or SSB": the names of a table's count entries.
std::string Choices(int count, std::string_view (*name)(int)) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += i == 0 ? "" : i + 1 == count ? " or " : ", ";
        text += name(i);
    }
    return text;
}

// A reason that names an unknown value also says which values there are:
// unknown mode "FT8": use CW, DIGI or SSB
std::string Explained(const std::string& reason) {
    auto names = [&reason](std::string_view what) { return reason.rfind(what, 0) == 0; };
    if (names("unknown band ")) {
        return reason + ": use " + Choices(CBandTable::Count, &CBandTable::Name);
    }
    if (names("unknown mode ")) {
        return reason + ": use " + Choices(CModeTable::Count, &CModeTable::Name);
    }
    if (names("unknown continent ")) {
        return reason + ": use " +
               Choices(CCountryFile::ContinentCount, &CCountryFile::ContinentName);
    }
    return reason;
}

// The canonical text of a rule, or the reason it is none.
bool Canonical(const std::string& text, std::string& canonical, std::string& reason) {
    FilterRule rule;
    if (!CFilterRuleParser::Parse(text, rule, reason)) {
        reason = Explained(reason);
        return false;
    }
    canonical = CFilterRuleParser::Canonical(rule);
    return true;
}

} // namespace

CFilterListModel::CFilterListModel(const PortSetupValues& values)
    : countryFile(values.countryFile), m_rules(values.filterRules) {}

std::string CFilterListModel::Words(const std::string& rule) {
    FilterRule parsed;
    std::string reason;
    return CFilterRuleParser::Parse(rule, parsed, reason) ? CFilterRuleWords::Describe(parsed)
                                                          : reason;
}

std::string CFilterListModel::Add(const std::string& text) {
    std::string canonical;
    std::string reason;
    if (Canonical(text, canonical, reason)) {
        m_rules.push_back(canonical);
    }
    return reason;
}

std::string CFilterListModel::Replace(std::size_t row, const std::string& text) {
    std::string canonical;
    std::string reason;
    if (row < m_rules.size() && Canonical(text, canonical, reason)) {
        m_rules[row] = canonical;
    }
    return reason;
}

void CFilterListModel::Remove(std::size_t row) {
    if (row < m_rules.size()) {
        m_rules.erase(m_rules.begin() + static_cast<std::ptrdiff_t>(row));
    }
}

bool CFilterListModel::MoveUp(std::size_t row) {
    if (row == 0 || row >= m_rules.size()) {
        return false;
    }
    std::swap(m_rules[row - 1], m_rules[row]);
    return true;
}

bool CFilterListModel::MoveDown(std::size_t row) {
    return MoveUp(row + 1);
}

std::string CFilterListModel::Text() const {
    std::string text;
    for (const std::string& rule : m_rules) {
        text += rule + "\n";
    }
    return text;
}

std::string CFilterListModel::SetText(const std::string& text) {
    std::vector<std::string> rules;
    std::size_t start = 0;
    int line = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string piece = text.substr(start, end - start);
        if (!piece.empty() && piece.back() == '\r') {
            piece.pop_back();
        }
        start = end + 1;
        ++line;
        if (piece.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        std::string canonical;
        std::string reason;
        if (!Canonical(piece, canonical, reason)) {
            return "line " + std::to_string(line) + ": " + reason;
        }
        rules.push_back(canonical);
    }
    m_rules = std::move(rules);
    return {};
}

std::string CFilterListModel::Summary() const {
    if (m_rules.empty()) {
        return "No rules: every spot is sent out.";
    }
    int accepts = 0;
    for (const std::string& text : m_rules) {
        FilterRule rule;
        std::string reason;
        if (CFilterRuleParser::Parse(text, rule, reason) && rule.accept) {
            ++accepts;
        }
    }
    const int rejects = static_cast<int>(m_rules.size()) - accepts;
    auto counted = [](int n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? " rule" : " rules");
    };
    std::string text = counted(accepts, "accept") + ", " + counted(rejects, "reject") + ": ";
    if (accepts == 0) {
        return text + "a spot is sent out unless a reject rule matches it.";
    }
    if (rejects == 0) {
        return text + "a spot is sent out only when an accept rule matches it.";
    }
    return text + "a spot is sent out when an accept rule matches it and no reject rule does.";
}

void CFilterListModel::Accept(PortSetupValues& values) const {
    values.countryFile = countryFile;
    values.filterRules = m_rules;
}
