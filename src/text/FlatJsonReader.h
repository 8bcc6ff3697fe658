#pragma once

#include "text/JsonReader.h"

#include <cstddef>
#include <string_view>
#include <vector>

// Reads the wanted members of one flat JSON object in a single pass, for
// payloads that come by the thousand a second:
//
//   {"sq":30142870791,"f":14074123,"md":"FT8","rp":-12,"sc":"JA1XYZ"}
//
// It takes only the plain layout: names and strings without escapes, and
// numbers and the literals as values. Anything else (an escape, a nested
// object or array, text that is no JSON at all) it declines, and the
// caller reads the payload with CJsonReader, which reads every layout; on
// what it takes the two agree member for member. Values view the text
// read, no copy.
class CFlatJsonReader {
  public:
    // The member names wanted, best in the order the payloads have them;
    // Value(i) is the first member named names[i].
    explicit CFlatJsonReader(std::vector<std::string_view> names);

    // True when text is exactly one object of the plain layout (blanks
    // around it allowed); false leaves the verdict to CJsonReader.
    bool Read(std::string_view text);
    // The member of the i-th wanted name, or null when absent.
    const CJsonReader::Member* Value(std::size_t i) const {
        return m_found[i] ? &m_values[i] : nullptr;
    }

  private:
    // The index of a wanted name, or the count of names.
    std::size_t IndexOf(std::string_view name);

    std::vector<std::string_view> m_names;
    std::vector<CJsonReader::Member> m_values;
    std::vector<bool> m_found;
    // Where the search for the next member's name starts.
    std::size_t m_next = 0;
};
