#pragma once

#include <string_view>

// Character classes of setup files and spot texts. Both are 7-bit ASCII;
// these never depend on the locale.
namespace ascii {

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsPrintable(char c) {
    return c >= 0x20 && c < 0x7f;
}
inline char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
// Equal but for the case of ASCII letters.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
    }
    return true;
}

// The number (0 to count - 1) whose name equals text in either case, or -1.
template <class NameOf> int FindNamed(std::string_view text, int count, NameOf name) {
    for (int i = 0; i < count; ++i) {
        if (EqualsIgnoringCase(text, name(i))) {
            return i;
        }
    }
    return -1;
}

} // namespace ascii
