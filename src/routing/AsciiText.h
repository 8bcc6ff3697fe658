#pragma once

#include <string_view>

// Character classes of spot texts. Spots are 7-bit ASCII; these never
// depend on the locale.
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

} // namespace ascii
