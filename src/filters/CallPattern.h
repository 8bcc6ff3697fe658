#pragma once

#include <string_view>

// A call pattern of a filter rule: "*" stands for any run of characters,
// "?" for one character, letters match in either case ("VK9*", "*/MM",
// "K?ABC").
class CCallPattern {
  public:
    static bool Matches(std::string_view pattern, std::string_view call);
    // Letters, digits, "/", "-", "#", "@", "*" and "?" only, 1 to 16 of them.
    static bool IsValid(std::string_view pattern);
};
