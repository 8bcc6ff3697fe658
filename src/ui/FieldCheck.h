#pragma once

#include <optional>
#include <string>

// The checks a dialog makes when its values are taken over on OK, with the
// messages the user sees. Each returns the message of a failed check, or
// nothing when the text passes.
class CFieldCheck {
  public:
    // An optionally signed decimal integer, blanks allowed around it.
    static std::optional<std::string> Integer(const std::string& text, int& value);
    static std::optional<std::string> IntegerInRange(const std::string& text, int low, int high,
                                                     int& value);
    static std::optional<std::string> MaxChars(const std::string& text, int maxChars);
};
