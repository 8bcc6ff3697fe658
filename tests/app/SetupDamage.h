#pragma once

#include "SetupText.h"

#include <string>
#include <vector>

// Ways of taking a setup file apart, for the tests that feed damaged files
// to the program and to its window.
namespace SetupDamage {

// The lines of a text, without their LF.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// The first count lines, each with its LF.
inline std::string JoinLines(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < lines.size(); ++i) {
        text += lines[i] + "\n";
    }
    return text;
}

// The value of every line with this key set to value (of the first such line
// only, when first is true).
inline std::string WithValue(std::string text, const std::string& key, const std::string& value,
                             bool first = false) {
    std::size_t at = 0;
    const std::string needle = "\n" + key + "=";
    while ((at = text.find(needle, at)) != std::string::npos) {
        const std::size_t valueAt = at + needle.size();
        text.replace(valueAt, text.find('\n', valueAt) - valueAt, value);
        at = valueAt;
        if (first) {
            break;
        }
    }
    return text;
}

// A header stating stated ports, then sections log files P1, P2, ... each
// routed to the next.
inline std::string ManyPorts(int stated, int sections) {
    using namespace SetupText;
    std::string text = Header(stated);
    for (int i = 1; i <= sections; ++i) {
        text += Port("FILE", "P" + std::to_string(i)) +
                Line("FileName", "p" + std::to_string(i) + ".log") + CtRouter(5, 2);
    }
    for (int i = 1; i <= sections; ++i) {
        std::vector<int> entries(static_cast<std::size_t>(sections), 0);
        entries[0] = i % sections + 1;
        text += Routes(0, entries);
    }
    return text;
}

} // namespace SetupDamage
