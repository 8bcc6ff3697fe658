#include "ui/FieldCheck.h"

#include <cctype>
#include <charconv>

namespace {

std::string Replace(std::string text, const std::string& marker, int value) {
    auto at = text.find(marker);
    if (at != std::string::npos) {
        text.replace(at, marker.size(), std::to_string(value));
    }
    return text;
}

} // namespace

std::optional<std::string> CFieldCheck::Integer(const std::string& text, int& value) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    if (end - begin > 1 && text[begin] == '+' &&
        std::isdigit(static_cast<unsigned char>(text[begin + 1]))) {
        ++begin;
    }
    int parsed = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, parsed);
    if (begin == end || ec != std::errc() || ptr != last) {
        return std::string("Please enter an integer.");
    }
    value = parsed;
    return std::nullopt;
}

std::optional<std::string> CFieldCheck::IntegerInRange(const std::string& text, int low, int high,
                                                       int& value) {
    if (auto problem = Integer(text, value)) {
        return problem;
    }
    if (value < low || value > high) {
        return Replace(Replace("Please enter an integer between %1 and %2.", "%1", low), "%2",
                       high);
    }
    return std::nullopt;
}

std::optional<std::string> CFieldCheck::MaxChars(const std::string& text, int maxChars) {
    if (static_cast<int>(text.size()) > maxChars) {
        return Replace("Please enter no more than %1 characters.", "%1", maxChars);
    }
    return std::nullopt;
}
