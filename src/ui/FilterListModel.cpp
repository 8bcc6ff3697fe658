#include "ui/FilterListModel.h"

#include "filters/FilterRuleParser.h"
#include "filters/FilterRuleWords.h"
#include "port/PortSetupValues.h"

#include <utility>

namespace {

// The canonical text of a rule, or the reason it is none.
bool Canonical(const std::string& text, std::string& canonical, std::string& reason) {
    FilterRule rule;
    if (!CFilterRuleParser::Parse(text, rule, reason)) {
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

void CFilterListModel::Accept(PortSetupValues& values) const {
    values.countryFile = countryFile;
    values.filterRules = m_rules;
}
