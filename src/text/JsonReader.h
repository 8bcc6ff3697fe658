#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads one JSON object whose members the caller then looks up by name:
//   {"spotter":"DL1ABC","frequency":14025.2,"hops":1,"dxcc":{"id":291}}
// String values and names are unescaped into the reader's own buffer; a
// number, true, false or null keeps its text; a nested object or array keeps
// its raw text, unread. Everything the members view lives in that buffer and
// stays valid until the next Read.
//
// Input comes from the network, so nesting is bounded and every step moves
// forward: hostile text costs no more than its length.
class CJsonReader {
  public:
    enum class Kind { String, Number, Literal, Object, Array };
    struct Member {
        std::string_view name;
        std::string_view value;
        Kind kind;
    };

    // True when text is exactly one object (blanks around it allowed).
    bool Read(std::string_view text);

    const std::vector<Member>& Members() const { return m_members; }
    // The first member of that name, or null.
    const Member* Find(std::string_view name) const;
    // A string member's text; nullopt when absent or not a string.
    std::optional<std::string_view> Text(std::string_view name) const;
    // A number member's value; false when absent or not a number.
    bool Number(std::string_view name, double& value) const;

    // A number member's value; false when it is not a number or out of
    // the range of a double.
    static bool NumberOf(const Member& member, double& value);
    // True when text is a whole JSON number ("-12", "14025.0", "1e3").
    static bool IsNumber(std::string_view text);

  private:
    class Cursor;

    std::string m_buffer;
    std::vector<Member> m_members;
};
