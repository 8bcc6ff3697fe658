#pragma once

#include <string>
#include <string_view>

// A call pattern of a filter rule: "*" stands for any run of characters,
// "?" for one character, letters match in either case ("VK9*", "*/MM",
// "K?ABC").
//
// An object is a pattern made ready for many calls: the common forms (a
// prefix with "*" after it, a suffix with "*" before it, a whole call) are
// compared directly, without the general matcher's back-tracking.
class CCallPattern {
  public:
    explicit CCallPattern(std::string_view pattern);
    bool Matches(std::string_view call) const;

    static bool Matches(std::string_view pattern, std::string_view call);
    // Letters, digits, "/", "-", "#", "@", "*" and "?" only, 1 to 16 of them.
    static bool IsValid(std::string_view pattern);

  private:
    enum class Form { Prefix, Suffix, Whole, General };

    Form m_form = Form::General;
    std::string m_text; // the literal part in upper case, or the whole pattern
};
