#pragma once

#include <string>
#include <vector>

struct PortSetupValues;

// The Filters dialog of the port setup without widgets: the port's rules in
// order, each with its words ("reject 60 m and 30 m digital spots"), the
// country file, and the same rules as one text of a rule per line. A rule
// that does not parse is refused with the reason and changes nothing; a
// reason that names an unknown band, mode or continent lists the known ones.
// The order of the rules is for display only: a spot passes when it matches
// no reject rule and, if there are accept rules, one of them.
class CFilterListModel {
  public:
    explicit CFilterListModel(const PortSetupValues& values);

    const std::vector<std::string>& Rules() const { return m_rules; }
    // The rule in plain words.
    static std::string Words(const std::string& rule);

    // Each returns the reason of a refusal, or an empty text when done.
    std::string Add(const std::string& text);
    std::string Replace(std::size_t row, const std::string& text);
    void Remove(std::size_t row);
    // Moves a row one place; false at the edge.
    bool MoveUp(std::size_t row);
    bool MoveDown(std::size_t row);

    // A rule per line; SetText takes every rule of a text or, naming the
    // first bad line, none.
    std::string Text() const;
    std::string SetText(const std::string& text);

    // The whole rule set in one line: "1 accept rule, 2 reject rules: a spot
    // is sent out when an accept rule matches it and no reject rule does."
    std::string Summary() const;

    std::string countryFile;

    void Accept(PortSetupValues& values) const;

  private:
    std::vector<std::string> m_rules;
};
